// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The player's choices kept between runs: the move hints (key L), the last-move marks, the move
// list (key M), the sounds (key V), the music (key N), whether hosting asks the router to forward
// the port, the computer's engine and level, the render scale, and the ambient motion (the circling
// light and the turning dome; off, a still board draws nothing at all). They live in a small text
// file in the saved-games folder, "settings.ini" (not a ".chs" file, so the load screen never lists
// it), one "name = value" line each: on|off for the switches, "engine = builtin" or the command of
// a UCI engine, "level = 1" to "6", "render_scale = auto" or a fixed 1.0, 0.75, 0.5. A missing,
// unreadable or damaged file gives the defaults; a line the game does not know, or a value out
// of range, is skipped, so older and newer games can share the file. Key A's choice, whether
// the camera follows the side to move, is one of the switches. "moves = two clicks" plays a move
// on the click that chooses its target; "three clicks" (the default, and what any other value
// gives) waits for the target to be clicked again.

#include <string>

#include "game/uci_engine.h"

constexpr int DEFAULT_NET_PORT = 4000; // TCP port of hosting and joining unless --port moves it

// The TCP port for hosting and joining in this run (--port moves it); not kept in the file.
int& netPort();

struct GameSettings {
    bool moveHints = true;            // dots and rings on the squares the selected piece may go to
    bool lastMoveMarks = true;        // the last move's two squares tinted
    bool moveList = false;            // the move list panel shown
    bool portMapping = false;         // hosting asks the router to forward the port (NAT-PMP, UPnP)
    bool sounds = true;               // the sounds of moves, checks, mates, refusals and chat lines
    bool music = true;                // the menu's music (key N)
    bool ambient = true;              // the light circles the board and the dome turns
    bool followSideToMove = true;     // key A: the camera turns to the side to move after a move
    bool twoClickMoves = false;       // the mouse's second click on a target plays the move
    std::string engine;               // the computer: empty for the built-in engine, else a command
    int level = ENGINE_LEVEL_DEFAULT; // the computer's strength, 1 to 6
    bool openingBook = true;          // the built-in engine opens from its book of main lines
    float renderScale = 0;            // of the 3D scene's resolution: 0 automatic, else 0.5 .. 1
};

// The render scale's value in the file: "auto", or the fixed scale ("1.0", "0.75", "0.5").
std::string renderScaleText(float scale);
// "auto" gives 0; a number from 0.5 to 1 gives itself; anything else -1 (not taken).
float parseRenderScale(const std::string& value);

// The settings the game runs with (defaults until loadGameSettings).
GameSettings& gameSettings();

// Text form: every setting on its own line, with a comment line first.
std::string settingsText(const GameSettings& settings);
// Reads the text form over the defaults: each known name with "on" or "off" (also 1/0,
// true/false, yes/no, any case, blanks around) sets its setting; anything else is ignored.
GameSettings parseSettings(const std::string& text);

// "settings.ini" in the saved-games folder.
std::string settingsPath();

// Reads `path` into gameSettings(); the defaults when it cannot be read. False when the file was
// missing or unreadable.
bool loadGameSettings(const std::string& path);
// Writes gameSettings() to `path` (a new file renamed over the old one); false when it fails.
bool saveGameSettings(const std::string& path);
