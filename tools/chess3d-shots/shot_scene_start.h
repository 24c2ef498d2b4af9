// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the screenshot scenes and the frame benchmark set a game up, shared by all of them: a
// fresh save folder with the default settings, the intro skipped to the menu, a game against the
// computer chosen on the menu's pages, and a game loaded from its moves as the load screen loads
// one. Each prints what went wrong to stderr and returns false.

#include <string>
#include <vector>

// For the life of the object: the default settings whatever the machine's settings file says,
// and the saves and settings a scene writes kept in a temporary folder of its own, removed (the
// game's own save folder given back) when the object goes.
class SceneSaveFolder {
public:
    SceneSaveFolder();
    ~SceneSaveFolder();
    SceneSaveFolder(const SceneSaveFolder&) = delete;
    SceneSaveFolder& operator=(const SceneSaveFolder&) = delete;

    bool made() const { return !path_.empty(); } // false: no temporary folder, nothing changed
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Escape over the intro, the menu waited for (30 s of test clock) and five frames more.
bool skipIntroToMenu();

// The pointer moved onto `entry` of menu page `page`, then a click there; with `settle`, the
// wall's turn waited for and 90 frames more.
bool clickMenuEntry(int page, int entry, bool settle = true);

// From the first menu page: a new game against the computer at `level`, as the colour of
// `colourEntry` on the colour page (0 White, 1 Black). The last click does not wait for the
// game's start: the callers wait for what they need.
bool chooseComputerGame(int level, int colourEntry, bool settleLastClick = true);

// The moves as coordinates ("e2e4", castling as the king's move) made record values, loaded and
// put on the board as the load screen does; the pieces' glides are the caller's to wait for.
bool loadCoordinateMoves(const std::vector<std::string>& moves);
