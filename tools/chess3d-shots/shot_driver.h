// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Drives the game built in this process (buildGame) frame by frame on the engine's test clock,
// feeds it input through the window's own callbacks and writes what the window shows to PNG
// files. Everything runs on the thread that built the game, between two runFrame calls.

#include <functional>
#include <string>

struct SquareRecord;

// Seconds of test clock per frame unless a step says otherwise (a 25 Hz display).
constexpr double FRAME_SECONDS = 0.04;

// With no display named, asks SDL for its windowless driver by name: the game refuses that
// driver unless it is asked for, and these tools only need the pictures. Call before buildGame.
void drawOffscreenWithoutDisplay();

// Runs `count` frames of `dt` seconds each; false once the game's loop ended.
bool runFrames(int count, double dt = FRAME_SECONDS);

// Called after every frame the driver runs, with the real time the frame took and the processor
// time the whole process spent on it (every thread of the GL driver included), in seconds: the
// benchmark times the frames of its scenes through it. Null: frames are not timed.
using FrameObserver = void (*)(double realSeconds, double processorSeconds);
void setFrameObserver(FrameObserver observer);

// Runs frames until `done` holds; false when it did not within `maxSeconds` of test clock or
// the loop ended.
bool runUntil(const std::function<bool()>& done, double maxSeconds, double dt = FRAME_SECONDS);

// Draws the scene once more exactly as the frame loop does and writes the back buffer, rows
// flipped to top-down, to `folder`/`name`. False (with a message) when the file cannot be written.
bool saveShot(const std::string& folder, const std::string& name);

// Input through the screen callbacks: the pointer moves to (x, y) in window pixels, origin top
// left; a left click there; a key pressed and released (Windows virtual-key code).
void movePointer(int x, int y);
void clickAt(int x, int y);
void pressKey(int code);
void typeText(const char* upperCaseText); // letters, digits, spaces and dots

// The window pixel over which the pointer lands on `entry` of the menu wall's current page,
// found through the wall's own pointer ray; false when no pixel of the window reaches it.
bool findEntryPixel(int page, int entry, int& x, int& y);

// The window pixel whose pointer ray meets the wall plane nearest to (wallX, wallZ).
bool findWallPixel(float wallX, float wallZ, int& x, int& y);

// The window pixel at which a click picks `square` (its own node or the piece standing on it),
// found by projecting points of the square with the camera and checking each with the scene's
// picking; false when none of them picks it.
bool findSquarePixel(const SquareRecord* square, int& x, int& y);

// Plays a move of the local player with the three clicks a player makes: the piece, the target,
// the target again. False when a square could not be found or the board refused a click.
bool clickMove(int fromRow, int fromColumn, int toRow, int toColumn);
