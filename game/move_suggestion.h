#pragma once
// The engine's advice to the player: the move it would play for the side to move, searched on
// the game's position without disturbing the game (the engine's position, its undo stack and
// root moves, and the game's search limits are put back afterwards).

#include <cstdint>

// The computer's own fixed depth, so the advice is the move the computer would play in the
// player's place. Over the 31 positions of `chess3d-engine bench 4` a depth-4 search takes
// about 1 ms of processor time, 30 ms at worst: one frame, as the computer's own answer does.
constexpr int SUGGESTION_DEPTH = 4;

// The move (engine value), a promotion made a queen as the board plays it; 0 when the side to
// move has no legal move. Prints nothing.
uint32_t suggest_move();
