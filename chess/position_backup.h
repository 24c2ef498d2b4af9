// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A copy of everything that describes the engine's one position: squares, side, rights,
// counters, the undo stack with the game so far and the moves generated at each ply. A caller
// that needs the position for other work (replaying a saved game to write it out) takes a
// backup first and puts the game back afterwards, so the game goes on as if nothing happened.

#include "chess/make_move.h"
#include "chess/position.h"

struct PositionBackup {
    int color[64];
    int piece[64];
    int side, other, rights, ep, fifty, ply, hply, start_number;
    int first_move[MAX_PLY];
    ScoredMove moves[MOVE_STACK_SIZE];
    UndoRecord undo[UNDO_STACK_SIZE]; // the first hply records are kept
};

// About 260 KB: allocate it, do not put it on the stack.
void backup_position(PositionBackup& backup);
void restore_position(const PositionBackup& backup);
