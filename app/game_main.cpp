// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/game_main.h"
#include "board/board_presets.h"
#include "board/intro.h"

#include <cmath>
#include <cstdio>
#include <malloc.h>

#include "anim/anim_manager.h"
#include "anim/move_sounds.h"
#include "anim/sound_player.h"
#include "app/app_state.h"
#include "app/camera_zoom.h"
#include "app/frame_loop.h"
#include "app/input.h"
#include "app/launch_options.h"
#include "app/startup_check.h"
#include "app/wiring.h"
#include "board/board_scene.h"
#include "board/captured_row.h"
#include "board/check_mark.h"
#include "board/frame_labels.h"
#include "board/move_marks.h"
#include "chess/engine_random.h"
#include "engine/KivEngine.h"
#include "game/computer_thinking.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/opponent.h"
#include "game/replay.h"
#include "game/save_folder.h"
#include "game/settings.h"
#include "game/unfinished_game.h"
#include "netplay/connection.h"
#include "netplay/host_addresses.h"
#include "ui/game_end_banner.h"
#include "ui/interface.h"
#include "ui/material_balance.h"
#include "ui/move_line.h"
#include "ui/move_list.h"
#include "ui/screens.h"
#include "ui/text_overlay.h"
#include "ui/thinking_sign.h"

namespace {

const KVector CLEAR_COLOUR(0.4f, 0.3f, 0.4f);
constexpr double PORT_MAPPING_EXIT_WAIT_SECONDS = 2.0; // for the router to hear the removal
int g_quitCode = 0;

// Moves the window so that the point grabbed in the top strip stays under the cursor; when the
// menu is closed, shows the game's own cursor only while the pointer is over the window.
void windowDragStep() {
    POINT cursor;
    if (g_app->dragging) {
        GetCursorPos(&cursor);
        MoveWindow(g_app->screen->hwnd, cursor.x - g_app->lastMouseX, cursor.y - g_app->lastMouseY,
                   g_app->width, g_app->height, TRUE);
        UpdateWindow(g_app->screen->hwnd);
    } else if (!g_game->menuOpen) {
        GetCursorPos(&cursor);
        setCursorShown(WindowFromPoint(cursor) == g_app->screen->hwnd);
    }
}

// A piece glides or the camera flies between views: the render scale holds still, so that no
// change of sharpness shows on what moves. The pause view's endless tour is a view, not a
// flight: the scale may settle during it.
bool sceneInMotion() {
    if (g_game->pieceInMotion) return true;
    const NodeAnimEntry* camera = FindNodeEntry(g_board->camera);
    return camera && camera->state != ANIM_STOPPED && camera->preset != ANIM_VIEW_TOUR;
}

// The dome turns by the clock, at the 0.01 degree a frame it once turned at 60 frames a second;
// with the ambient motion off it stands still.
constexpr float DOME_DEGREES_PER_SECOND = 0.6f;
unsigned g_domeStamp = 0;

void turnDome() {
    KNodeGraph* dome = g_board->dome;
    const float seconds = GetTimePassed(&g_domeStamp);
    if (!dome || !gameSettings().ambient) return;
    dome->prs.Refresh();
    dome->prs.rot.y = std::fmod(dome->prs.rot.y + DOME_DEGREES_PER_SECOND * seconds, 360.0f);
    dome->prs.changed = 1;
}

} // namespace

bool buildGame() {
    if (!checkDataFiles()) return false;
    // Window surfaces, render targets and textures are large blocks that come and go with the
    // window's size. After such a block is freed glibc raises its mmap threshold, and the next
    // ones come from the heap, which keeps what they leave: the resident size would ratchet up
    // with every resize. A fixed threshold keeps them mapped, and gives them back when freed.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);

    // 1-3. The scene, the root group node, the application state and its (hidden) window.
    g_scene = CreateScene();
    g_root = new KShell(g_scene);
    g_root->InsertAsChildOf(g_scene->root);
    g_app = new AppState(800, 600);
    // A game drawn by SDL's windowless driver would run where no one sees it and no one can
    // close it: without a display the game stops here (tests ask for that driver by name).
    if (!g_app->screen || g_app->screen->offscreenUnasked) {
        std::fprintf(stderr, "chess3d: no window could be opened: %s\n",
                     g_app->screen ? "no display answered (is DISPLAY set?)"
                                   : "no OpenGL 3.3 context on this display");
        Log("chess3d: no window could be opened\n");
        return false;
    }
    SetRenderScale(g_app->screen, gameSettings().renderScale);
    g_game = new GameModel();     // the game's flags, selection and requests
    netPort() = DEFAULT_NET_PORT; // until the command line or a test moves it

    // 4-7. Board records, game record (a new game in the chess engine), animations, interface.
    g_board = new BoardScene();
    g_anim = new AnimManager();
    g_ui = new Interface();
    installNetworkPlay();
    installGameHooks();

    // 8-9. Decor, board and pieces.
    g_board->loadDecorAndBoard();
    g_board->loadPieces();
    buildMoveMarks();
    buildCheckMark();
    buildCapturedRow();

    // 10. Preset animations: camera views, light paths, piece move and indicators.
    SetupCameraViews();
    SetupLights();
    SetupPieceAnims();

    // 11-12. The menu wall and its objects, the fonts and the text overlay.
    buildWall();
    buildOptionObjects();
    buildFonts();
    layout(800, 600);
    buildMoveList();
    buildThinkingSign();
    buildMaterialBalance();
    buildMoveLine();
    installScreens();
    if (!checkStartupObjects()) return false;

    // 13. Menu cube animations, then the intro scene.
    SetupMenuAnims();
    IntroSetup();
    installIntroHooks();

    // 14. The first light circles the board for ever (unless the ambient motion is off).
    if (gameSettings().ambient) StartNodeAnim(g_board->lightPivot1, 0, 3, nullptr);

    // 15-17. Window shown, sound and music.
    ShowWindow(g_app->screen->hwnd, SW_SHOW);
    KivLoadSound(g_app->screen->hwnd);
    g_sound = new SoundPlayer();
    g_sound->load();
    loadGameSounds();

    // 18-19. The intro starts; the first frame is drawn (not yet shown).
    IntroStart();
    GetTimePassed(&g_domeStamp);
    RenderScene(g_scene, g_app->screen, g_board->camera, CLEAR_COLOUR, false);
    return true;
}

bool runFrame() {
    if (!stepFrame()) return false;
    statisticsStep();
    drawGameFrame();
    return true;
}

void drawGameFrame() {
    HoldRenderScale(g_app->screen, sceneInMotion());
    RenderScene(g_scene, g_app->screen, g_board->camera, CLEAR_COLOUR, false); // 8.
    SwapBuffers(g_app->screen);                                                // 9.
}

bool stepFrame() {
    // 1. Every waiting message first: input is never dropped for rendering.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            g_quitCode = int(msg.wParam);
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }

    windowDragStep();    // 2.
    cameraZoomTakeOut(); //    the animations write the camera's own pose
    UpdateAnimations();  // 3. completion callbacks run here
    cameraZoomStep();    //    the wheel's distance on top of it
    faceFrameLabels();   //    the frame's letters turned to the camera's side
    ServerStep();        // 4. the network peer: host,
    ClientStep();        //    then the joining side
    opponentStep();      //    a UCI engine's answers
    frameStep();         // 5. menu wall, water, quit banner
    moveMarksStep();     //    last move, move hints, suggestion
    moveListStep();      //    the move list
    thinkingSignStep();  //    a slow engine's sign
    moveLineStep();      //    the move line, a typed move waiting for a glide
    replayStep();        //    a move from an earlier position, once agreed
    gameEndBannerStep(); //    the result over a finished game
    turnDome();          // 7. (6., the statistics, come with the frame drawn)
    // What the board tells of the game: the king in check, the pieces taken, who is ahead.
    checkMarkStep();
    capturedRowStep();
    materialBalanceStep();
    return true;
}

int quitCode() {
    return g_quitCode;
}

void shutdownGame() {
    stopThinkingBeside(); // a search under way stops; its answer is not wanted
    stopOpponent();
    g_scene->Reset();
    KivFreeSound();
}

int gameMain(const LaunchOptions& options) {
    // The saved games and the settings: in the player's own data folder, where those of an
    // older build's folder beside the program are moved once.
    const std::string savesMoved = choose_save_folder();
    loadGameSettings(settingsPath());
    // The computer's engine: the command line's choice over the settings file's. A UCI engine
    // starts now and gets ready while the intro plays.
    OpponentChoice opponent;
    opponent.engine = options.engineGiven ? options.engine : gameSettings().engine;
    opponent.level = options.level ? options.level : gameSettings().level;
    opponent.openingBook = gameSettings().openingBook;
    seed_engine_random_from_clock(); // the book's and the weaker levels' choices differ each run
    startOpponent(opponent);
    (void)startThinkingBeside(); // the window draws on while the built-in engine thinks
    if (!buildGame()) {
        stopOpponent();
        return 2;
    }
    // Untimed: the first frames, slow while everything starts, would take a timed message away
    // before it could be read. A game opened from the command line says its own.
    if (!savesMoved.empty()) showInfo(true, false, savesMoved.c_str());
    startFromOptions(options);
    FILE* frameLog = options.frameLog.empty() ? nullptr : std::fopen(options.frameLog.c_str(), "w");
    if (!options.frameLog.empty() && !frameLog)
        std::fprintf(stderr, "chess3d: cannot write the frame log %s\n", options.frameLog.c_str());
    setFrameLog(frameLog);
    startFrameLoop();
    while (framePass(FrameDraw::Render))
        waitForNextPass();
    logFrameCounts();
    keepUnfinishedGameAtExit(); // the window closed, the player quit, or SIGINT/SIGTERM came
    setFrameLog(nullptr);
    if (frameLog) std::fclose(frameLog);
    // A port the router forwards for this game is closed again before the program ends.
    hostAddressesEnd(PORT_MAPPING_EXIT_WAIT_SECONDS);
    shutdownGame();
    return 0;
}
