// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The engine's advice to the player: the move it would play for the side to move, searched on
// the game's position without disturbing the game (the engine's position, its undo stack and
// root moves, and the game's search limits are put back afterwards).

#include <cstdint>

// The built-in engine searches as deep as it does for the computer's own move (builtinDepth,
// game/opponent.h), so the advice is the move the computer would play in the player's place.
// The move (engine value), a promotion made a queen as the board plays it; 0 when the side to
// move has no legal move. Prints nothing.
uint32_t suggest_move();
