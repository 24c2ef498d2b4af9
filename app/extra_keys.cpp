// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/extra_keys.h"

#include "anim/anim_manager.h"
#include "anim/move_sounds.h"
#include "anim/music.h"
#include "app/app_state.h"
#include "board/camera_views.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "game/replay.h"
#include "game/settings.h"
#include "ui/move_line.h"
#include "ui/text_overlay.h"

namespace {

constexpr int KEY_F = 'F';
constexpr int KEY_L = 'L';
constexpr int KEY_M = 'M';
constexpr int KEY_V = 'V';
constexpr int KEY_N = 'N';
// The key that types '?' with Shift: US Windows layout, French layout, and the US '/' key as
// the platform names keys by their French positions.
constexpr int KEY_QUESTION_US = 191;
constexpr int KEY_QUESTION_FR = 188;
constexpr int KEY_SLASH_BY_POSITION = 223;

bool held(int key) {
    return g_app && g_app->keysDown[key];
}

void keepSettings() {
    if (!saveGameSettings(settingsPath()))
        Log("WARNING : could not write the settings to %s\n", settingsPath().c_str());
}

} // namespace

void toggleFullscreen() {
    AppState* app = g_app;
    if (!app || !app->screen) return;
    if (!SetScreenFullscreen(app->screen, !app->screen->fullscreen)) return;
    app->width = app->screen->width;
    app->height = app->screen->height;
    app->dragging = 0; // a full-screen window does not move
    relayout(app->width, app->height);
}

void toggleFollowSideToMove() {
    ToggleGameView();
    if (!g_anim) return;
    gameSettings().followSideToMove = g_anim->game_view != 0;
    keepSettings();
}

bool windowKey(int key) {
    const bool altEnter = key == VK_RETURN && held(VK_MENU);
    if (key != KEY_F && !altEnter) return false;
    toggleFullscreen();
    return true;
}

bool boardKey(int key) {
    switch (key) {
    case KEY_L:
        gameSettings().moveHints = !gameSettings().moveHints;
        keepSettings();
        return true;
    case KEY_M:
        gameSettings().moveList = !gameSettings().moveList;
        keepSettings();
        return true;
    case KEY_V:
        toggleGameSounds();
        return true;
    case KEY_N:
        toggleMusic();
        return true;
    case VK_RETURN:
        return openMoveLine();
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: {
        // Taken whether or not the replay can act (in a network game they do nothing).
        static constexpr ReplayStep STEPS[] = {ReplayStep::Back, ReplayStep::Start,
                                               ReplayStep::Forward, ReplayStep::End};
        replayGame(STEPS[key - VK_LEFT]);
        return true;
    }
    case KEY_QUESTION_US:
    case KEY_QUESTION_FR:
    case KEY_SLASH_BY_POSITION:
        if (!held(VK_SHIFT)) return false;
        g_game->suggestMoveForPlayer();
        return true;
    default:
        return false;
    }
}
