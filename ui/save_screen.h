// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The save screen (menu page 5): the game is saved over a saved game chosen in the list (list
// mode) or under a typed name (name mode, Tab), after two Enters. Saving is local: in a network
// game each player saves the game on their own machine.

constexpr int SAVE_NAME_MAX = 19; // characters a typed name may have

// Opens the screen (the end of the wall's turn to page 5) or closes it (its keys, the menu's
// close). Closing empties the name line.
void toggleSaveScreen();

// A key the name line declined while the screen is open (every key is taken): Tab goes to name
// mode, Up and Down choose, the first Enter shows the OK mark, the second saves, Escape takes the
// OK mark back or closes the screen.
void saveScreenKey(int code);

// The name line's keys, before the menu's: true when taken. Declines every key in list mode and
// while a choice is confirmed. Letters (capitals with Shift), digits and spaces type, up to
// SAVE_NAME_MAX; Backspace and Delete erase; Enter on a name confirms it; Tab and Escape go back
// to the list.
bool saveNameKey(int code);
