// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The menu wall's computer page (page 11), between "Against the computer" and the colour page: it
// chooses the engine that plays the computer (the built-in one, or a UCI engine found installed)
// and its level, 1 to 6. The arrows (entries 11 and 12, or the keys Left and Right) step through
// the engines, whose name shows in the page's well; the chosen level stays lit. A level taken (a
// click on it, or Enter after Up/Down or a digit) confirms both: the computer of the next game
// starts with them and settings.ini keeps them. Escape leaves the page without changing anything.

struct PagePicture;

constexpr int COMPUTER_PAGE = 11;
constexpr int ENTRY_ENGINE_PREVIOUS = 11, ENTRY_ENGINE_NEXT = 12; // levels are entries 1 to 6

// Start-up, with the wall: the page's picture and the engines' name plates.
void buildComputerPage();

// The page's picture (hover highlights go through it as on the other pages).
PagePicture* computerPagePicture();

// The wall turns to the page: the engines installed now are listed, the current choice shown.
void openComputerPage();

// A click on `entry` of the page: true when it confirmed a level (the wall then goes on to the
// colour page); an arrow only steps the engine shown.
bool computerPageClick(int entry);

// A key on the page (not Escape): true when it confirmed the choice (Enter).
bool computerPageKey(int code);

// Where the page looks for engines from now on: colon-separated folders, or null for PATH and
// the games folders (the default). The soak harness lists the built-in engine alone, so that a
// run never depends on the engines of the machine it runs on.
void setEngineFoldersOverride(const char* folders);

// The choice as the player reads it: "Stockfish, level 3", "Built-in, level 4".
const char* opponentLabel();
