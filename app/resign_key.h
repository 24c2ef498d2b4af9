// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Resigning against the computer: the G key, and the Resign entry of the menu's main page. With
// the game going on and nothing else asked, the local player is asked "Resign : are you sure ?"
// in the request window; yes ends the game ("0-1 {White resigns}" or "1-0 {Black resigns}",
// game/game_end_state.h). Not in a network game, where the peer would not learn of it.

// The G key: over the board only (in the menu the wall takes the keys).
void resignKey();
// The Resign entry clicked on the menu's main page (ScreenHooks::resign).
void resignFromMenu();
