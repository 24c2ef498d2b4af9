// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real game built in this process for the soak harness: its window through SDL's windowless
// driver, its clock the engine's test clock, its saved games and settings in a folder of its own.
// Input goes in through the screen's callbacks, as the window's messages bring it; frames run as
// the game's loop runs them, most of them without drawing.

#include <string>

struct KVector;

namespace soak {

// Builds the game with its saved games and settings in `saveFolder` (made when missing), the
// ambient motion on or off. False when it cannot be built (no GL context, missing data).
bool buildWorld(const std::string& saveFolder, bool ambient = true);

// One pass of the game's frame loop after `seconds` of game clock. The frame it plans is drawn
// when `draw`, otherwise only counted. False once the quit message came.
bool frame(double seconds, bool draw);
// Game-clock seconds since the world was built.
double gameSeconds();

// Input, as the screen's callbacks deliver it.
void keyDown(int vk);
void keyUp(int vk);
void press(int vk); // down then up
void mouseMove(int flags, int x, int y);
void mouseDown(int buttons, int x, int y);
void mouseUp();
void wheel(int delta, int flags);
// Moves the pointer to (x, y) and clicks the left button there.
void clickAt(int x, int y);

// Window pixels of things the player sees; false when off the picture or behind the camera.
bool worldPixel(const KVector& p, int& x, int& y);
bool squarePixel(int square, int& x, int& y);
bool wallPixel(float x, float z, int& px, int& py);
// The middle of menu entry `entry`'s region on the wall of `page`; false when it has none.
bool entryCentre(int page, int entry, float& x, float& z);
// The request window's buttons (0 accept, 1 refuse) and the quit banner's (0 yes, 1 no).
void requestButtonPixel(int button, int& x, int& y);
bool quitButtonPixel(int button, int& x, int& y);
// Whether the pointer now points at the quit banner's yes button (the harness never quits).
bool pointerOnQuitYes();

// The chat is open and takes the keys, Escape among them (the save screen takes them before it).
bool chatTakesKeys();

// The memory the game holds, in kilobytes: the process's resident size, or under the address
// sanitizer the heap in use (its resident size there also holds freed blocks in quarantine).
long memoryInUseKilobytes();

} // namespace soak
