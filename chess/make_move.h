// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Playing and taking back moves on the one position, and the repetition count. The position
// is never copied: the search, the game driver and the result test all make and take back
// moves in place, and the undo stack holds the game so far followed by the search's line.

#include "chess/position.h"

// Room for the longest game the fifty-move rule allows (5,949 moves, 11,898 half-moves)
// plus a search line, so that the engine keeps answering in any game that can be played.
constexpr int UNDO_STACK_SIZE = 12288;

struct UndoRecord {
    Move move;               // the move as played
    int captured;            // piece code on the target before the move, EMPTY if none
    int saved_castle_rights; // castle_rights before the move
    int saved_ep_square;     // ep_square before the move
    int saved_fifty_counter; // fifty_counter before the move
};

extern ENGINE_STATE UndoRecord undo_stack[UNDO_STACK_SIZE]; // history_ply records in use

// Plays a generated move if it is legal. Returns 1 when played, 0 when the move is illegal
// (castling out of, through or into check or past pieces; own king left attacked) or the
// undo stack is full; after 0 the position is exactly as before.
[[nodiscard]] int make_move(uint32_t move);
[[nodiscard]] inline int make_move(Move move) {
    return make_move(move_value(move));
}

// Restores the position before the last move on the undo stack; nothing when it is empty.
void take_back();

// The en-passant target as far as it changes what may be played: `ep` when a pawn of `side`
// stands beside the pawn that jumped and could take it, else -1. A jump no pawn can answer
// leaves the position the same as without it.
int en_passant_option(int ep, int side);

// Number of earlier occurrences of the current position within the reversible tail of the
// game (the last fifty_counter records): the same side to move, the same piece of the same
// colour on every square, the same castling rights, and the same en-passant capture open (a
// jump that no pawn can take does not count). 0 while fifty_counter <= 3.
int repetition_count();

// Forgets the `count` oldest records of the undo stack (rounded down to whole moves, at most
// the records in use): they can no longer be taken back, and the repetition count no longer
// sees them. Lets a caller that plays a very long game keep room for a search. Call between
// moves (search_ply 0).
void forget_oldest_moves(int count);
