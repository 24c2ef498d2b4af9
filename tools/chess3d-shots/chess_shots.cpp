// chess3d-shots chess: stockfish chosen as the computer and thinking over its first move as
// White (chess-engine-choice.png), then an engine that is not installed (chess-engine-missing.png).

#include "tools/chess3d-shots/chess_shots.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "anim/anim_manager.h"
#include "app/app_state.h"
#include "app/globals.h"
#include "app/settings.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/game_record.h"
#include "game/opponent.h"
#include "game/save_folder.h"
#include "tools/chess3d-shots/shot_driver.h"
#include "ui/interface.h"
#include "ui/thinking_sign.h"

namespace {

constexpr int KEY_ESCAPE = 27;
constexpr double SETTLE_DT = 0.1;

std::string g_folder;

bool fail(const char* what) {
    std::fprintf(stderr, "chess3d-shots chess: %s\n", what);
    return false;
}

// Clicks `entry` of the menu page; with `settle`, waits for the wall's turn to end.
bool clickEntry(int page, int entry, bool settle = true) {
    int x, y;
    if (!findEntryPixel(page, entry, x, y)) return fail("menu entry not reachable");
    movePointer(x, y);
    runFrames(10);
    clickAt(x, y);
    return !settle || (runUntil([] { return !IsCameraMoving(); }, 5) && runFrames(90));
}

// Frames until `done`, for at most `seconds` of real time: the engine is a real process.
template <class Done> bool waitReal(Done done, double seconds, double dt = SETTLE_DT) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        if (!runFrames(1, dt)) return false;
    }
    return true;
}

// 1. Stockfish at level 3, thinking eight seconds a move, plays White: the sign shows while it
//    thinks over its first move.
bool shootEngineChoice() {
    OpponentChoice choice;
    choice.engine = "stockfish";
    choice.level = 3;
    choice.moveTimeMs = 8000;
    startOpponent(choice);
    pressKey(KEY_ESCAPE);
    if (!runUntil([] { return g_app->menuOpen && !IsCameraMoving(); }, 30))
        return fail("no menu after the intro");
    runFrames(5);
    if (!clickEntry(0, 1) || !clickEntry(1, 3) || !clickEntry(3, 1, false)) return false;
    if (!waitReal(thinkingSignShown, 30)) {
        std::printf("phase %d, moves %d, human %d, side %d, menu %d, started %d, thinking %s\n",
                    int(uciOpponent().phase), g_record->moves.count, g_board->humanColour,
                    g_board->sideToMove, g_app->menuOpen, g_app->gameStarted,
                    opponentThinking() ? opponentThinking() : "-");
        return fail("stockfish shows no thinking sign");
    }
    runFrames(8, 0.25);
    std::printf("thinking sign: %s\n", thinkingSignText());
    if (!saveShot(g_folder, "chess-engine-choice.png")) return false;
    if (!waitReal([] { return g_record->moves.count == 1 && !thinkingSignShown(); }, 60))
        return fail("stockfish did not answer");
    // 2. An engine that is not there: the info line says so, the built-in engine plays on.
    choice.engine = "no-such-chess-engine";
    startOpponent(choice);
    runFrames(12, 0.04);
    return saveShot(g_folder, "chess-engine-missing.png");
}

} // namespace

bool shootChessAdditions(const std::string& folder) {
    g_folder = folder;
    gameSettings() = GameSettings{};
    char saves[] = "/tmp/chess3d-shots-XXXXXX";
    if (!mkdtemp(saves)) return fail("no temporary folder");
    set_save_folder(saves);
    struct Cleanup {
        std::string path;
        ~Cleanup() {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
            set_save_folder("./Save/");
            stopOpponent();
        }
    } cleanup{saves};
    return shootEngineChoice();
}
