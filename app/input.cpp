// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/input.h"
#include "board/camera_views.h"
#include "board/intro.h"

#include "anim/anim_manager.h"
#include "anim/water.h"
#include "app/app_state.h"
#include "app/extra_keys.h"
#include "app/request_keys.h"
#include "app/resign_key.h"
#include "board/board_moves.h"
#include "board/board_scene.h"
#include "board/square_picking.h"
#include "board/two_click_moves.h"
#include "engine/KivEngine.h"
#include "game/computer_thinking.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "netplay/host_addresses.h"
#include "netplay/net_session.h"
#include "netplay/rejoin.h"
#include "ui/chat.h"
#include "ui/indicators.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"

namespace {

void setHidden(KNodeGraph* node, bool hidden) {
    if (node) node->hidden = hidden ? 1 : 0;
}

KLight* asLight(KNodeGraph* node) {
    return node ? node->AsLight() : nullptr;
}

// Gives light pool animation `preset` to the light and plays it once.
void playLightPreset(KNodeGraph* light, int preset) {
    KLight* l = asLight(light);
    if (!l) return;
    SetLightAnim(l, preset);
    StartLightAnim(l, 1, nullptr);
}

// End of the flight up to the menu. A camera travel that cut it short runs it too: the board
// hides only if the menu is still open.
void hideBoardCallback() {
    if (g_game->menuOpen) g_board->setBoardVisible(false);
}

// The menu's opening step shared by the menu key and the end of the intro, all but the camera.
void openMenuState() {
    g_ui->menuActive = 1;
    g_scene->selectedLight = asLight(g_ui->cubeLight);
    setHidden(g_ui->cadreTurn, true);
    setHidden(g_ui->turn, true);
    showPlayer(false, g_game->humanColour);
    setWallVisible(true);
    setCursorShown(false);
    playLightPreset(g_ui->cubeLight, 0);
    playLightPreset(g_board->light1, 3);
    playLightPreset(g_board->light2, 5);
    g_game->boardLocked = 1;
    g_anim->view_index_saved = g_anim->view_index;
}

int ladderIndex(int width) {
    for (int i = 0; i < 6; ++i)
        if (WINDOW_SIZES[i][0] == width) return i;
    return -1;
}

// In full screen the desktop sets the size: the ladder waits until the window comes back.
bool fullscreen() {
    return g_app->screen && g_app->screen->fullscreen;
}

void resizeTo(int index) {
    SetScreenSize(g_app->screen, WINDOW_SIZES[index][0], WINDOW_SIZES[index][1]);
    g_app->width = WINDOW_SIZES[index][0];
    g_app->height = WINDOW_SIZES[index][1];
}

} // namespace

bool inTopStrip(int w, int y) {
    return y < 20 * w / 800;
}

bool inCloseBox(int w, int x) {
    return 782 * w / 800 < x && x < 798 * w / 800;
}

void menuClosedCallback() {
    // Handed on by a later camera travel it may run after the menu was opened again.
    if (g_game->menuOpen) return;
    setWallVisible(false);
    g_scene->selectedLight = nullptr;
    g_game->computerTurnIfDue();
}

void setMenuOpen(bool open) {
    if (open == (g_game->menuOpen != 0) || !g_game->gameStarted) return;
    g_game->menuOpen = open ? 1 : 0;
    if (open) {
        openMenuState();
        CameraTravel(5, hideBoardCallback);
        return;
    }
    g_ui->menuActive = 0;
    g_board->setBoardVisible(true);
    turnWall(0);
    g_ui->page = 0;
    closeScreens();
    setHidden(g_ui->cadreTurn, false);
    setHidden(g_ui->turn, false);
    showPlayer(true, g_game->humanColour);
    setCursorShown(true);
    playLightPreset(g_ui->cubeLight, 1);
    playLightPreset(g_board->light1, 2);
    playLightPreset(g_board->light2, 4);
    g_game->boardLocked = 0;
    CameraTravel(g_anim->view_index_saved, menuClosedCallback);
}

void toggleMenu() {
    setMenuOpen(!g_game->menuOpen);
}

void showMenuAfterIntro() {
    // The intro's lock holds until here (see IntroEnd); the indicators it shows are hidden again
    // by the menu's opening below.
    setIntroInput(false);
    g_game->gameStarted = 0;
    g_game->menuOpen = 1;
    openMenuState();
    KNodeGraph* cam = g_board->camera;
    cam->prs.SetPosition(3.5f, 6.0f, -4.0f);
    cam->prs.SetAngles(120.0f, 0.0f, 0.0f);
    g_board->setBoardVisible(false);
}

void setPauseView(bool on) {
    if (on) {
        g_game->cameraView = 1;
        setHidden(g_ui->turn, true);
        setHidden(g_ui->cadreTurn, true);
        showPlayer(false, g_game->humanColour);
        g_scene->selectedLight = asLight(g_board->light1);
        setHidden(g_board->light2, true);
        setHidden(g_ui->pause, false);
        setHidden(g_ui->pauseBoule, false);
        g_game->boardLocked = 1;
        g_anim->view_index_saved = g_anim->view_index;
        CameraTravel(6, nullptr);
        return;
    }
    g_game->cameraView = 0;
    g_scene->selectedLight = nullptr;
    setHidden(g_ui->pauseBoule, true);
    setHidden(g_ui->pause, true);
    setHidden(g_ui->turn, false);
    setHidden(g_ui->cadreTurn, false);
    setHidden(g_board->light2, false);
    showPlayer(true, g_game->humanColour);
    g_game->boardLocked = 0;
    // The pause may have interrupted the camera's turn towards the computer: the flight back
    // carries its answer, or the computer would never move.
    CameraTravel(g_anim->view_index_saved, ComputerTurnCallback);
}

void setIntroInput(bool locked) {
    if (locked) {
        setHidden(g_ui->turn, true);
        showPlayer(false, g_game->humanColour);
        g_game->inputSuspended = 1;
        return;
    }
    setHidden(g_ui->turn, false);
    showPlayer(true, g_game->humanColour);
    g_game->inputSuspended = 0;
}

namespace {

// The heads-up objects of a game stay hidden during the intro and in the menu.
void hideGameIndicators() {
    setHidden(g_ui->cadreTurn, true);
    setHidden(g_ui->turn, true);
    showPlayer(false, g_game->humanColour);
}

void introStarted() {
    setIntroInput(true);
    hideGameIndicators();
}

void introFlightUp() {
    g_scene->selectedLight = asLight(g_ui->cubeLight);
    setWallVisible(true);
    hideGameIndicators();
}

} // namespace

void installIntroHooks() {
    IntroHooks hooks;
    hooks.started = introStarted;
    hooks.flightUp = introFlightUp;
    hooks.menuReached = showMenuAfterIntro;
    RegisterIntroHooks(hooks);
}

void beforeBoardReplaced() {
    // The pause first: the menu cannot open over it. Each starts the camera's flight back, which
    // the new game's flight then takes over with its completion.
    if (g_game->cameraView) setPauseView(false);
    if (g_game->menuOpen) setMenuOpen(false);
    g_game->clearSelection();
    dropThinking(); // the computer's search was for the position going away
}

void prepareBoardForGame(int humanColour) {
    beforeBoardReplaced();
    g_game->inputSuspended = 0;
    g_game->boardLocked = 0;
    g_game->humanColour = humanColour; // a camera kept still shows the player's own side
    CameraToGameView(false, true, 0);
    g_board->reset(humanColour);
    resetIndicators();
}

void startNewGame(int humanColour) {
    prepareBoardForGame(humanColour);
    g_game->record.NewGame(true);
}

void growWindow() {
    const int i = ladderIndex(g_app->width);
    if (i >= 0 && i < 5 && !fullscreen()) resizeTo(i + 1);
    relayout(g_app->width, g_app->height);
}

void shrinkWindow() {
    const int i = ladderIndex(g_app->width);
    if (i > 0 && !fullscreen()) resizeTo(i - 1);
    relayout(g_app->width, g_app->height);
}

namespace {

// Alt with Enter: full screen, from anywhere.
bool altEnter(int key) {
    return key == VK_RETURN && g_app->keysDown[VK_MENU];
}

// Keys that toggle or confirm act once per press: held down, the system repeats them, and a held
// Tab, Escape or Enter would open and close the chat, the menu or a screen over and over.
bool actsOncePerPress(int key) {
    return key == VK_TAB || key == VK_ESCAPE || key == VK_RETURN;
}

// Keys whose repeats keep acting once the text lines have declined them: moving through a list,
// stepping through the views and through a replayed game (a held arrow steps once per glide).
// Any other game key (F, L, M, ?, H, R, S, B, A, Pause...) acts once per press, or a held key
// would flip full screen, rewrite the settings or rerun the search thirty times a second.
bool repeatsAfterText(int key) {
    return key == VK_UP || key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT || key == VK_END ||
           key == VK_HOME;
}

// The camera still flies back from the menu: a pause now would take the flight over and the
// menu's closing would end in the pause tour.
bool cameraFlyingBackFromMenu() {
    return g_board && NodeAnimOwes(g_board->camera, menuClosedCallback);
}

} // namespace

void onKeyDown(int key) {
    // Held keys are known before anything takes the key: an Escape that skips the intro or gives
    // up a rejoin would otherwise open the menu on its first repeat.
    const bool known = key >= 0 && key < 256;
    const bool repeated = known && g_app->keysDown[key];
    if (known) g_app->keysDown[key] = 1;
    if (repeated && actsOncePerPress(key)) return;
    if (g_game->introRunning) {
        if (key == VK_ESCAPE) IntroSkip();
        return;
    }
    if (rejoinKey(key)) return; // Escape while the joining side tries to come back
    if (g_game->inputSuspended || !netSession().connectIdle) return;
    // Before the text lines: their Enter would send or confirm the line instead.
    if (altEnter(key)) {
        toggleFullscreen();
        return;
    }
    if (textKey(key)) return; // typing and erasing repeat on the text lines
    if (repeated && !repeatsAfterText(key)) return;

    if (key == 'H' || key == 'h') toggleStatistics();
    if (key == VK_F11) shrinkWindow();
    if (key == VK_F12) growWindow();
    if (windowKey(key)) return;
    if (menuKey(key)) return;
    if (boardKey(key)) return;

    switch (key) {
    case 'R':
    case 'r':
        if (g_game->mayAskRequestByKey()) askRequest('R');
        break;
    case 'S':
    case 's':
        if (g_game->mayAskRequestByKey()) askRequest('W');
        break;
    case 'B':
    case 'b':
        if (g_game->mayAskRequestByKey()) askRequest('B');
        break;
    case 'G':
    case 'g':
        resignKey(); // against the computer
        break;
    case 'U':
        portMappingKey(); // while hosting: ask the router to forward the port
        break;
    case 'A':
    case 'a':
        // Not while the camera shows the menu or the pause tour: it would fly away from it.
        if (g_game->mayPlayerMoveCamera()) toggleFollowSideToMove();
        break;
    case VK_END:
        if (g_game->mayPlayerMoveCamera()) NextView();
        break;
    case VK_HOME:
        if (g_game->mayPlayerMoveCamera()) PreviousView();
        break;
    case VK_ESCAPE:
        // Escape always leads back: a question window is refused (as its refuse button does; a
        // peer that asks again and again cannot keep the menu out of reach), the pause view is
        // left (as Pause does), then the menu opens or closes.
        if (g_game->questionShown) {
            answerQuestion(false);
        } else if (g_game->cameraView) {
            if (g_game->mayTogglePause(cameraFlyingBackFromMenu())) setPauseView(false);
        } else if (g_game->mayToggleMenu()) {
            setMenuOpen(!g_game->menuOpen);
        }
        break;
    case VK_PAUSE:
        if (g_game->mayTogglePause(cameraFlyingBackFromMenu())) setPauseView(!g_game->cameraView);
        break;
    default:
        break;
    }
}

void onKeyUp(int key) {
    if (key >= 0 && key < 256) g_app->keysDown[key] = 0;
}

void onMouseDown(int buttons, int x, int y) {
    if (inTopStrip(g_app->width, y) && !g_game->questionShown) {
        if (g_game->mayUseCloseBox() && inCloseBox(g_app->width, x)) {
            setMenuOpen(true);
            turnWall(7);
            g_ui->page = 7;
            return;
        }
        g_app->lastMouseX = x;
        g_app->lastMouseY = y;
        g_app->dragging = fullscreen() ? 0 : 1; // a full-screen window stays where it is
        return;
    }
    if (g_game->inputSuspended) return;

    KPickInfo hit;
    KNodeGraph* node = g_scene->Getinfo(x, y, &hit);
    while (node && node->tag == 0)
        node = node->parent;
    if (menuClick(node, buttons, x, y)) return;
    if (!node) return;
    if (!g_game->boardLocked) LookTowardsPoint(hit.point);
    if (node->tag >= 1 && node->tag <= 7) mouseClickOnBoard(node);
}

void onMouseUp() {
    g_app->dragging = 0;
}

void onMouseMove(int flags, int x, int y) {
    // 1. The window bar shows while the pointer is in the top strip.
    const bool inStrip = inTopStrip(g_app->width, y);
    if (inStrip) setHidden(g_ui->windowBar, false);
    if (g_app->dragging) return;
    if (flags & MK_LBUTTON) {
        if (inStrip) return;
        setHidden(g_ui->windowBar, true);
    } else if (!inStrip) {
        setHidden(g_ui->windowBar, true);
    }

    // 2. The pointer and the game's cursor.
    moveCursor(x, y);

    // 3. Stirring the water, hovering the request buttons.
    if (g_ui->waterShown && (flags & (MK_LBUTTON | MK_MBUTTON))) dropUnderPointer();
    if (g_game->questionShown) requestHover();

    // 4. Camera control only on a free board.
    if (!g_game->mayPlayerMoveCamera() || IsCameraMoving()) return;

    // 5. Ctrl before Shift, left before right.
    const float dx = float(x - g_app->lastMouseX);
    const float dy = float(y - g_app->lastMouseY);
    KNodeGraph* cam = g_board->camera;
    if (flags & MK_CONTROL) {
        if (flags & MK_LBUTTON)
            MovObj(cam, 0.5f * dx, 0.5f * dy, 0);
        else if (flags & MK_RBUTTON)
            MovObj(cam, 0.5f * dx, 0, -0.5f * dy);
    } else if (flags & MK_SHIFT) {
        if (flags & MK_LBUTTON) {
            RotateObjExt(cam, 0.1f * dy, 0.1f * dx, 0);
            cam->prs.changed = 1;
        } else if (flags & MK_RBUTTON) {
            RotateObjExt(cam, 0.02f * dx, 0, -0.02f * dy);
            cam->prs.changed = 1;
        }
    }

    // 6.
    g_app->lastMouseX = x;
    g_app->lastMouseY = y;
}
