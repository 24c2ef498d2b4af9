// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The load screen (menu page 2): the saved games in a list, the chosen one loaded after two
// Enters. In a game against the computer it is loaded at once; in a network game the peer is
// asked first (request 'L') and the game is loaded when the peer accepts.

#include <string>

// Opens the screen (the end of the wall's turn to page 2) or closes it (its keys, the menu's
// close).
void toggleLoadScreen();

// A key while the screen is open (every key is taken): Up and Down choose, the first Enter shows
// the OK mark, the second loads, Escape takes the OK mark back or closes the screen.
void loadScreenKey(int code);

// Why the saved game at `path` (or the PGN game it names) cannot be loaded: "Cannot open saved
// game : not loaded", "Damaged saved game : not loaded", or the reasons of load_pgn_game
// (pgn_import.h); "" when it can.
std::string savedGameProblem(const char* path);

// savedGameProblem, told to the player; true when the game can be loaded.
bool savedGameLoadable(const char* path);
