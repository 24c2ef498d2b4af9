// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Routing of the window's keyboard and mouse events, and the view switches of the application
// state (menu, pause view, new game, the intro's input lock). The five callbacks are
// registered on the screen by the AppState constructor and run inside DispatchMessageA.

#include <cstdint>

// Screen callbacks.
void onKeyDown(int key);
void onKeyUp(int key);
void onMouseDown(int buttons, int x, int y);
void onMouseUp();
void onMouseMove(int flags, int x, int y);

// Opens or closes the option menu; nothing before a game was started.
void setMenuOpen(bool open);
void toggleMenu();
// The camera reached the menu view after the intro: the intro's input lock ends, the menu
// shows, no game yet.
void showMenuAfterIntro();
// The pause view on or off.
void setPauseView(bool on);
// The intro locks the input while it plays.
void setIntroInput(bool locked);
// Registers with the intro what the game does when it starts (input locked, indicators
// hidden), when the flight up to the menu begins (the wall and its light) and when the menu
// view is reached (showMenuAfterIntro). Called once at start-up, before IntroStart.
void installIntroHooks();
// A new game against the computer (or the first of a network game) with the local player
// playing `humanColour` (0 White, 1 Black).
void startNewGame(int humanColour);
// The board, the indicators and the camera made ready for a game with the local player on
// `humanColour`, as startNewGame does, but the game record is left to the caller (a game
// received whole fills it).
void prepareBoardForGame(int humanColour);
// Another game, or a changed one, replaces what the board shows (a new game, a loaded or
// received game, a take-back, a swap of colours): the pause view and the menu with its screens
// close first, and the player's selection and its marks go.
void beforeBoardReplaced();
// One step along the window-size ladder, then the overlay laid out again.
void growWindow();
void shrinkWindow();

// Completion of the camera's flight back from the menu; the Pause key compares the camera's
// animation entry against it.
void menuClosedCallback();

// Window geometry at width w: the top strip and the close box at its right end.
bool inTopStrip(int w, int y);
bool inCloseBox(int w, int x);

// The window-size ladder.
constexpr int WINDOW_SIZES[6][2] = {{320, 240},  {640, 480},  {800, 600},
                                    {1024, 768}, {1280, 960}, {1600, 1200}};
