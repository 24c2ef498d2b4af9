// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Move notation for the engine's position: the legal moves, standard algebraic notation (SAN:
// "Nf3", "exd5", "O-O", "e8=Q+", "Qh5#") both ways, and coordinate text ("e2e4", "e7e8q") read
// back into a move.
//
// Every function here works on the current position and leaves it as it found it. Like perft,
// they generate into the move stack from search_ply on: the moves generated for the current
// ply are generated again (the same moves, in generation order).

#include <cstdint>

#include "chess/position.h"

constexpr int MAX_LEGAL_MOVES = 256; // more than any position has (218 at most)
constexpr int SAN_SIZE = 12;         // room for the longest SAN ("Qa1xb2#", "exd8=Q+") and its 0

// Writes the legal moves of side_to_move into `out` in generation order; returns how many (0
// when mated or stalemated, or when the move stack has no room).
int legal_moves(Move out[MAX_LEGAL_MOVES]);

// Writes the SAN of `move` into `out`: piece letter, the origin file, rank or both where another
// piece of the same kind could reach the same square, "x" for captures, "=Q" for promotions,
// "O-O" and "O-O-O" for castling, "+" when it gives check and "#" when it mates. The move is
// matched against the legal moves by origin, target and promotion piece. Returns 1, or 0 (and
// an empty text) when no legal move matches.
int move_san(uint32_t move, char out[SAN_SIZE]);
inline int move_san(Move move, char out[SAN_SIZE]) {
    return move_san(move_value(move), out);
}

// The legal move a SAN text names, or 0 when it names none or more than one. Accepts what
// people and other programs write: check, mate and comment marks after the move ("+", "#",
// "!", "?", "!?"), "0-0" for "O-O", "=" before the promotion piece or not, and the origin
// square written out in full ("Ng1f3", "e2e4", "Ng1-f3"). Leading and trailing blanks are
// ignored.
uint32_t san_move(const char* text);

// How many legal moves a SAN text names, as san_move reads it: 0 when it names none (or is not
// SAN), 2 or more when it is ambiguous. `move`, when not null, gets the last of them (0 for none).
int san_move_count(const char* text, uint32_t* move);

// The legal moves a SAN text (as san_move reads it) may name: how many there are, the first
// `room` of them written into `out` in generation order; -1 when the text is not SAN at all.
// Tells a move that is not legal here (0) from one that is not unique (more than 1).
int san_candidates(const char* text, uint32_t* out, int room);

// The legal move a coordinate text names ("e2e4", "e1g1" for castling, "e7e8q"), or 0. A
// promotion without its letter is refused.
uint32_t text_move(const char* text);
