// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's main, split so that integration tests can build the game once and then drive it
// frame by frame with the engine's test clock.

// Builds everything in start-up order, shows the window, starts sound, music and the intro,
// and renders the first frame. False (after a message on standard error and in the engine's
// log naming what is missing) when the window or a data file or model object is missing.
bool buildGame();

// One pass of the frame loop that always draws: every queued window message is dispatched
// first; then window drag, animations, network, interface, overlay, the dome's turn, the
// statistics, render and swap. False once the quit message was fetched (nothing else of that
// pass runs). The game's own loop draws only the frames with something new (frame_loop.h).
bool runFrame();
// The same pass without the statistics, the render and the swap: what the game does in a frame,
// not what it shows. For tests of the game's behaviour, where drawing with a software renderer
// costs nine tenths of the time.
bool stepFrame();
// Render and swap of the scene as it stands.
void drawGameFrame();

// The code the quit message carried (18 from the menu's quit sequence).
int quitCode();

// After the loop: the scene is reset and sound released.
void shutdownGame();

struct LaunchOptions;

// Builds, applies the command line's options (straight to hosting or joining), runs the loop
// until the quit message, shuts down. 0, or 2 when start-up failed.
int gameMain(const LaunchOptions& options);
