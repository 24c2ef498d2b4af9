// SPDX-License-Identifier: GPL-3.0-or-later
// chess3d-shots chess: stockfish chosen as the computer and thinking over its first move as
// White (chess-engine-choice.png), an engine that is not installed (chess-engine-missing.png),
// an ambiguous move refused on the move line (chess-move-line.png), and a loaded game replayed
// backwards (chess-replay.png), and the built-in engine thinking at level 6 beside the frame loop
// (chess-builtin-thinking.png).

#include "tools/chess3d-shots/chess_shots.h"
#include "board/camera_views.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "anim/anim_manager.h"
#include "app/input.h"
#include "engine/KivEngine.h"
#include "game/computer_thinking.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/opponent.h"
#include "game/save_folder.h"
#include "game/settings.h"
#include "tools/chess3d-shots/shot_driver.h"
#include "tools/chess3d-shots/shot_scene_start.h"
#include "ui/computer_page.h"
#include "ui/interface.h"
#include "ui/move_line.h"
#include "ui/text_overlay.h"
#include "ui/thinking_sign.h"

namespace {

constexpr int KEY_ENTER = 13, KEY_SHIFT = 16, KEY_ESCAPE = 27, KEY_LEFT = 37;
constexpr double SETTLE_DT = 0.1;

std::string g_folder;

bool fail(const char* what) {
    std::fprintf(stderr, "chess3d-shots chess: %s\n", what);
    return false;
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
    if (!skipIntroToMenu()) return false;
    // The computer page confirms the choice in force (the settings already hold it: no file is
    // written).
    gameSettings().engine = choice.engine;
    gameSettings().level = choice.level;
    if (!chooseComputerGame(choice.level, 1, false)) return false;
    if (!waitReal(thinkingSignShown, 30)) {
        std::printf("phase %d, moves %d, human %d, side %d, menu %d, started %d, thinking %s\n",
                    int(uciOpponent().phase), g_game->record.moves.count, g_game->humanColour,
                    g_game->sideToMove, g_game->menuOpen, g_game->gameStarted,
                    opponentThinking() ? opponentThinking() : "-");
        return fail("stockfish shows no thinking sign");
    }
    runFrames(8, 0.25);
    std::printf("thinking sign: %s\n", thinkingSignText());
    if (!saveShot(g_folder, "chess-engine-choice.png")) return false;
    if (!waitReal([] { return g_game->record.moves.count == 1 && !thinkingSignShown(); }, 60))
        return fail("stockfish did not answer");
    // 2. An engine that is not there: the info line says so, the built-in engine plays on.
    choice.engine = "no-such-chess-engine";
    startOpponent(choice);
    runFrames(12, 0.04);
    return saveShot(g_folder, "chess-engine-missing.png");
}

// The moves as coordinates loaded as the load screen loads a game, the pieces settled.
bool loadGame(const std::vector<std::string>& moves) {
    return loadCoordinateMoves(moves) &&
           runUntil([] { return !IsCameraMoving() && !g_game->pieceInMotion; }, 20, SETTLE_DT);
}

// Capitals typed with Shift, as a player types them.
void typeMove(const char* text) {
    for (const char* c = text; *c; ++c) {
        const bool capital = *c >= 'A' && *c <= 'Z';
        if (capital) onKeyDown(KEY_SHIFT);
        pressKey(*c >= 'a' && *c <= 'z' ? *c - 32 : *c);
        if (capital) onKeyUp(KEY_SHIFT);
        runFrames(2);
    }
}

// 3. The move line: "Nd2" refused as ambiguous (the info line says which knights), the text
//    kept on the line to be corrected.
bool shootMoveLine() {
    startOpponent(OpponentChoice{});
    startNewGame(0); // the player takes White from here on
    if (!loadGame({"d2d4", "d7d5", "g1f3", "g8f6"})) return false;
    pressKey(KEY_ENTER);
    typeMove("Nd2");
    pressKey(KEY_ENTER);
    runFrames(12, 0.04); // the info panel fades in
    std::printf("move line: %s, info line: %s\n", moveLineTyped(), g_ui->overlay->infoText->texte);
    if (!moveLineOpen()) return fail("the move line closed on a refused move");
    if (!saveShot(g_folder, "chess-move-line.png")) return false;
    pressKey(KEY_ESCAPE);
    return true;
}

const std::vector<std::string> OPERA_GAME = {
    "e2e4", "e7e5", "g1f3", "d7d6", "d2d4", "c8g4", "d4e5", "g4f3", "d1f3", "d6e5", "f1c4",
    "g8f6", "f3b3", "d8e7", "b1c3", "c7c6", "c1g5", "b7b5", "c3b5", "c6b5", "c4b5", "b8d7",
    "e1c1", "a8d8", "d1d7", "d8d7", "h1d1", "e7e6", "b5d7", "f6d7", "b3b8", "d7b8"};

// 4. The opera game replayed: six moves back (the move list marks Black's 13th, Rxd7, the later
//    moves dimmed), and the seventh on its way back: the rook returning from d7 to d8, the white
//    rook it took to come back when it lands.
bool shootReplay() {
    if (!loadGame(OPERA_GAME)) return false;
    pressKey('M');
    for (int i = 0; i < 6; ++i) {
        pressKey(KEY_LEFT);
        if (!runUntil([] { return !g_game->pieceInMotion; }, 5, 0.04)) return fail("no glide end");
    }
    pressKey(KEY_LEFT);
    runFrames(14, 0.04);
    std::printf("replay: %d of %d moves shown\n", g_game->record.ShownCount(),
                g_game->record.moves.count);
    if (!g_game->pieceInMotion) return fail("nothing glides back");
    return saveShot(g_folder, "chess-replay.png");
}

// 5. The built-in engine at level 6, without its book, plays White in the opera game's
//    middlegame: its sign shows while it thinks beside the frame loop, the board drawn meanwhile.
bool shootBuiltinThinking() {
    OpponentChoice choice;
    choice.level = 6;
    choice.openingBook = false;
    startOpponent(choice);
    if (!startThinkingBeside()) return fail("no search thread");
    startNewGame(1);
    const std::vector<std::string> moves(OPERA_GAME.begin(), OPERA_GAME.begin() + 18);
    if (!loadGame(moves)) return false;
    const bool shown = waitReal(thinkingSignShown, 60, 0.04);
    std::printf("thinking sign: %s\n", thinkingSignText());
    const bool saved = shown && saveShot(g_folder, "chess-builtin-thinking.png");
    stopThinkingBeside();
    return shown ? saved : fail("the built-in engine shows no thinking sign");
}

} // namespace

bool shootChessAdditions(const std::string& folder) {
    g_folder = folder;
    const SceneSaveFolder saves;
    if (!saves.made()) return false;
    struct StopOpponent {
        ~StopOpponent() { stopOpponent(); }
    } stop;
    return shootEngineChoice() && shootMoveLine() && shootReplay() && shootBuiltinThinking();
}
