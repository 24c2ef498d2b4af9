// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The intro: a flight from far out down to the board while a title fades in and out in front of
// the camera, then the flight up to the menu.

// What the intro tells the game around it; the application registers these at start-up. Each
// may be null (the intro then only flies the camera and fades its title).
struct IntroHooks {
    void (*started)() = nullptr;     // the intro begins: input locked, game indicators hidden
    void (*flightUp)() = nullptr;    // the flight up to the menu begins: the wall and its light
    void (*menuReached)() = nullptr; // the camera reached the menu view: the menu shows
};
void RegisterIntroHooks(const IntroHooks& hooks);

// Loads ".\M3D\intro.m3d", hangs "intro" and "support" in front of the camera (tag 15,
// "support" hidden) and writes the intro flight (node 7) and its fade (material 0).
void IntroSetup();
// Tells the game (started), puts the camera at the flight's start and starts flight and fade.
void IntroStart();
// End of the flight, or the skip key: the title goes, the game is told (flightUp) and the camera
// flies to the menu view, then the menu shows (menuReached). The input stays locked until the
// menu shows. IntroSkip does nothing once the intro has ended.
void IntroEnd();
void IntroSkip();

// End of the camera's flight to the menu view after the intro: the game's menuReached hook,
// unless the menu already shows or a game has started by then.
void MenuReadyCallback();
