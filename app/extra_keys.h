// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keys beyond the game's own bindings, each switching one addition on or off:
//   F, or Alt+Enter: full screen at the desktop's resolution, and back (also over the menu);
//   L: the hints on the squares the selected piece may go to;
//   M: the move list;
//   V: the sounds of moves, checks, mates, refusals and chat lines (not the music);
//   N: the music;
//   Enter: the move line, to type a move (ui/move_line.h);
//   Left / Right: a move back / forward through the game, Up / Down: to its start / its end
//   (game/replay.h), against the computer only;
//   ? (Shift with the key that types it: 191 on a US layout, 188 on a French one, and 223, the
//   US '/' key as this platform names it): the engine's suggestion for the player, against the
//   computer only.
// The chat and the screens' text lines take their keys first (textKey); L, M, V, N, Enter, the
// arrows and ? come after the menu's keys, F before them.

// Before the menu's keys: true when the key was taken (full screen).
bool windowKey(int key);
// After the menu's keys: true when the key was taken.
bool boardKey(int key);

// Full screen on or off; the overlay is laid out again for the new size, as F11 and F12 do.
void toggleFullscreen();

// Key A: the camera stops following the side to move, or follows it again; the choice is kept
// in the settings for the next games and runs.
void toggleFollowSideToMove();
