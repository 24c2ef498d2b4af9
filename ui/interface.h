// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Interface: the option menu's cube wall and its pages, the heads-up objects of the option
// model, the request window's state, the game's own cursor and the text overlay. One instance
// (g_ui), made at start-up after the AnimManager and kept until exit. Everything here runs on
// the frame loop's thread: the frame step in the loop, the click and key handlers inside the
// window callbacks, the page-turn completions inside the animation step.

#include <cstdint>

#include "ui/chat.h"
#include "ui/page_picture.h"
#include "ui/text_overlay.h"

class KShell;
class KNodeGraph;
class KImage2D;
class WaterSurface;

constexpr int WALL_ROWS = 8;
constexpr int WALL_COLUMNS = 16;
// The Resign entry of the main page. It turns the wall nowhere: its number is no page's.
constexpr int RESIGN_ENTRY = 8;

// The load, save and connect screens plug in here when they are built (each pointer may stay
// null: the wall then turns to their pages and back without a screen, and their keys are
// swallowed by the menu).
struct ScreenHooks {
    void (*toggleLoadScreen)() = nullptr;    // opens (wall turned to page 2) or closes
    void (*toggleSaveScreen)() = nullptr;    // page 5
    void (*toggleConnectScreen)() = nullptr; // page 4
    void (*connectScreenHidden)() = nullptr; // end of the connect panel's fade-out
    void (*loadScreenKey)(int code) = nullptr;
    void (*saveScreenKey)(int code) = nullptr;
    void (*connectScreenKey)(int code) = nullptr;
    bool (*saveNameKey)(int code) = nullptr; // text entry on the save screen
    bool (*addressKey)(int code) = nullptr;  // text entry on the connect screen
    // The connect screen joins a host through this (null: no network play, nothing happens).
    bool (*joinGame)(const char* host, int port) = nullptr;

    // The network game plugs in here: hosting from the colour page, the answer to the request
    // window, and sending a chat line to the peer. Null: a game against the computer only
    // (the chat stays local, the window's answer is the local one, answerLocalRequest).
    void (*hostGame)() = nullptr;
    void (*answerRequest)(bool accepted) = nullptr;
    void (*sendChatLine)(const char* line) = nullptr;

    // The Resign entry of the main page asks as the G key does (null: the entry does nothing).
    void (*resign)() = nullptr;
};

struct Interface {
    float wallHeight = 16.0f;        // the wall plane is y = wallHeight
    KShell* wallRoot = nullptr;      // parent of cubes, light, quit banner, water; hidden = no wall
    KShell* lightHolder = nullptr;   // follows the pointer over the wall
    KNodeGraph* cubeLight = nullptr; // "cubelight", with its glow sprite
    KNodeGraph* cubes[WALL_ROWS][WALL_COLUMNS] = {}; // row j, column i
    float pointerX = 0, pointerZ = 0;                // where the pointer's ray meets the wall plane
    int page = 0;                                    // page shown or being turned to
    int networkGame = 0;              // the network entry was taken on the new-game page
    PagePicture pages[4];             // pictures of pages 0, 1, 10 and 3, in that order
    int questionButton = -1;          // button under the pointer: -1 none, 0 accept, 1 refuse
    PagePicture requestPicture;       // the request window's picture, 256 x 128
    int hoveredEntry = -1;            // entry under the pointer on the current page, -1 none
    uint8_t choiceConfirmed = 0;      // load/save/connect screens: first Enter given
    int listFirst = 0, listIndex = 0; // load/save screens: first line shown, selected line

    // Heads-up objects of the option model, in the model's order.
    KNodeGraph* load = nullptr;
    KNodeGraph* save = nullptr;
    KNodeGraph* client = nullptr;
    KNodeGraph* quit = nullptr;      // the quit banner (a flag mesh under the wall)
    KNodeGraph* waterNode = nullptr; // the water pool's node under the wall
    KNodeGraph* info = nullptr;
    KNodeGraph* request = nullptr;
    KNodeGraph* turn = nullptr;
    KNodeGraph* player = nullptr;
    KNodeGraph* pause = nullptr;
    KNodeGraph* pauseBoule = nullptr;
    KNodeGraph* cadreTurn = nullptr;
    KNodeGraph* selectionBar = nullptr;
    KNodeGraph* selectionOK = nullptr;
    KNodeGraph* chat = nullptr;
    KNodeGraph* windowBar = nullptr;

    uint8_t menuActive = 0; // menu open: keys go to the menu
    uint8_t connectScreenOpen = 0;
    uint8_t loadScreenOpen = 0;
    uint8_t saveScreenOpen = 0;
    uint8_t quitBannerShown = 0;
    uint8_t waterShown = 0;

    WaterSurface* water = nullptr;  // the pool of the water page
    int mouseX = 0, mouseY = 0;     // pointer in window pixels, origin top left
    KImage2D* cursor = nullptr;     // the game's own cursor picture, 30 x 30
    TextOverlay* overlay = nullptr; // texts, fonts, statistics, chat
    float bannerPhase = 0;          // wave phase of the quit banner, +0.5 a frame while shown
    ScreenHooks screens;

    // Start-up step 7 (g_scene must exist): the overlay (texts come later, layout), the cursor
    // from ".\M3D\mouse.m3d" at (200, 200); every object pointer null, every flag clear.
    Interface();
};

// Start-up step 11: the cube wall from ".\M3D\BasicCubes.m3d" and the page pictures, then the
// heads-up objects of ".\M3D\Option.m3d", the water, the quit banner and the fade presets.
void buildWall();
void buildOptionObjects();

// Once per frame: the wall (pointer light, lens, hover), the water while shown, the quit
// banner's wave while shown.
void frameStep();
void wallStep();
void waveQuitBanner();

// A click below the window's top strip, before the board sees it; `picked` is the first tagged
// node under the pointer (may be null), `buttons` the Windows button bits (1 left, 16 middle).
// True when the menu or the request window took the click.
bool menuClick(KNodeGraph* picked, int buttons, int x, int y);

// A key the text lines declined; true when the menu took it (every key while the menu is open).
bool menuKey(int code);

// The answer to the request window (its buttons, or Escape, which refuses): carried out, sent to
// the peer in a network game, and the window hidden. Nothing when no question is up.
void answerQuestion(bool accepted);

// Restores the old entry's rectangle and highlights the new one on the current page's picture;
// either may be -1.
void highlightEntry(int oldEntry, int newEntry);

// The rectangle of `entry` in `page`'s picture, null when it has none there.
const PixelRect* entryPictureRect(int page, int entry);

// The entry of `page` whose wall region holds (x, z), -1 for none (strict bounds).
int entryAt(int page, float x, float z);

// Shows (and clears choiceConfirmed) or hides the whole wall.
void setWallVisible(bool show);

// The menu closes: the connect, load and save screens, the quit banner and the water page go.
void closeScreens();

// Turns every cube towards page p's face (pages 0, 1, 10, 3) or away (2, 4, 5, 6, 7: their
// screen opens when the turn ends). The caller sets `page`.
void turnWall(int p);

void toggleQuitBanner();
// The quit sequence: the banner goes, the closing panel "support" fades in and out, then the
// program's quit message (code 18) is posted.
void quitGame();
void toggleWater();

// A drop on the water where the pointer meets the wall plane (a click or a drag with the left or
// middle button while the water page shows); nothing when the pointer is off the pool.
void dropUnderPointer();

// The game's cursor: shown or hidden; moved with the mouse (also stores mouseX, mouseY).
void setCursorShown(bool show);
void moveCursor(int x, int y);

// One instance for the process, made by buildGame (app/game_main.cpp) and never deleted.
extern Interface* g_ui; // option menu, cursor, question dialog, text overlay
