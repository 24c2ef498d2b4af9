// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The computer's opening book: a few dozen main lines of the common openings (open games,
// Sicilian, French, Caro-Kann, Queen's Gambit, the Indian defences, English, Reti), written in
// opening_book.cpp as SAN with a weight each, the line's share of games.
//
// A position's book moves are the moves the lines play from it, found by a key of the position
// itself (pieces, side to move, castling rights, a capture en passant that is open), not by the
// moves that led there: a game that reaches a book position by another move order is still in
// the book. A move weighs the sum of the weights of the lines that play it from there. A game
// that leaves the lines finds no book move, unless it later transposes back into one.
//
// The table is built on first use by playing every line on the engine's position, which is
// saved first and put back afterwards; a line with a move that is not legal, or not written as
// its exact SAN (capture mark, check mark, disambiguation), is left out whole and counted.

#include <cstdint>

struct BookLine {
    int weight;        // relative share of games (1 rare .. 6 the most played)
    const char* moves; // SAN from the start position, separated by single blanks
};
extern const BookLine book_lines[];
extern const int book_line_count;

struct BookMove {
    uint32_t move; // as generated: move_value of the engine's move
    int weight;    // sum of the weights of the lines that play it here
};
constexpr int BOOK_MOVES_MAX = 16; // more than any book position offers

struct BookSummary {
    int lines;                 // lines taken into the table
    int positions;             // distinct positions with at least one book move
    int refused;               // lines left out
    const char* first_refused; // the first of them (null when none)
    int refused_at;            // the index, from 0, of its first bad move
};

// What the table holds; builds it when not built yet.
const BookSummary& opening_book_summary();

// The book moves of the current position, heaviest first (equal weights in move order); how
// many (0 when the position is not in the book). Builds the table when not built yet; apart
// from that first call it allocates nothing and leaves the position alone.
int book_moves(BookMove out[BOOK_MOVES_MAX]);

// One of the current position's book moves, drawn from the engine's random source (one draw)
// with chances in proportion to the weights; 0, and no draw, when the position is not in the
// book.
uint32_t pick_book_move();

// The current position's key: a 64-bit hash of the pieces on their squares, the side to move,
// the castling rights and the open en-passant capture (en_passant_option).
uint64_t position_key();
