#pragma once
// The load screen (menu page 2): the saved games in a list, the chosen one loaded after two
// Enters. In a game against the computer it is loaded at once; in a network game the peer is
// asked first (request 'L') and the game is loaded when the peer accepts.

// Opens the screen (the end of the wall's turn to page 2) or closes it (its keys, the menu's
// close).
void toggleLoadScreen();

// A key while the screen is open (every key is taken): Up and Down choose, the first Enter shows
// the OK mark, the second loads, Escape takes the OK mark back or closes the screen.
void loadScreenKey(int code);

// Checks that the saved game at `path` can be loaded and tells the player why not:
// "Cannot open saved game : not loaded" or "Damaged saved game : not loaded".
bool savedGameLoadable(const char* path);
