// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/opponent.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "board/board_scene.h"
#include "chess/make_move.h"
#include "chess/notation.h"
#include "chess/position.h"
#include "chess/search.h"
#include "chess/search_thread.h"
#include "engine/KivEngine.h"
#include "game/child_process.h"
#include "game/computer_thinking.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/player_info.h"

namespace {

constexpr int64_t THINKING_SIGN_DELAY_MS = 300;           // a quick answer shows no sign
constexpr uint64_t SUGGESTION_SALT = 0x5a17c0ffee5eedULL; // the player's question, not the turn
constexpr const char* BUILTIN_NAME = "Computer";          // the built-in engine on its sign

struct Opponent {
    OpponentChoice choice;
    UciEngine engine;
    uint64_t computerKey = 0;     // the computer's turn the engine was asked, 0 none
    int64_t askedAtMs = 0;        // when it was asked
    uint64_t suggestionKey = 0;   // the suggestion asked, 0 none
    const char* notice = nullptr; // failure to tell once a game is in view
    bool failureHandled = true;   // the engine's failure has been dealt with
    std::string position;         // the "position" line, reused
} g_opponent;

bool engineUsable() {
    const UciPhase p = g_opponent.engine.phase;
    return p != UciPhase::Off && p != UciPhase::Failed;
}

// The game's position as the engine's undo stack holds it, from the start position. FNV-1a over
// the moves; never 0.
uint64_t positionKey() {
    uint64_t h = 1469598103934665603ULL ^ uint64_t(history_ply);
    for (int i = 0; i < history_ply; ++i) {
        h ^= move_value(undo_stack[i].move);
        h *= 1099511628211ULL;
    }
    return h ? h : 1;
}

const std::string& positionLine() {
    std::string& line = g_opponent.position;
    line.assign("position startpos");
    if (history_ply > 0) line += " moves";
    for (int i = 0; i < history_ply; ++i) {
        line += ' ';
        line += move_text(undo_stack[i].move);
    }
    line += '\n';
    return line;
}

// The suggestion still answers the player's question: the player's move in the same position.
bool playerMaySeeSuggestion() {
    return g_board && g_game->maySuggestMove() && side_to_move == g_game->humanColour;
}

const char* failureNotice(UciFailure why) {
    switch (why) {
    case UciFailure::NotStarted:
        return "Engine missing : built-in plays";
    case UciFailure::Ended:
        return "Engine stopped : built-in plays";
    case UciFailure::Silent:
        return "Engine silent : built-in plays";
    case UciFailure::BadMove:
        return "Engine bad move : built-in plays";
    default:
        return nullptr;
    }
}

const char* failureDetail(UciFailure why) {
    switch (why) {
    case UciFailure::Ended:
        return "it ended";
    case UciFailure::Silent:
        return "it did not answer in time";
    case UciFailure::BadMove:
        return "it answered a move that is not legal";
    default:
        return "it could not start";
    }
}

// The engine's failure, once: logged, told on the info line when a game is in view, and the
// turn it was thinking over handed to the built-in engine.
void handleFailure() {
    if (g_opponent.failureHandled) return;
    g_opponent.failureHandled = true;
    const UciFailure why = g_opponent.engine.failure;
    std::fprintf(stderr, "chess3d: engine '%s' dropped (%s); the built-in engine plays\n",
                 g_opponent.choice.engine.c_str(), failureDetail(why));
    Log("Engine '%s' dropped (%s); the built-in engine plays\n", g_opponent.choice.engine.c_str(),
        failureDetail(why));
    g_opponent.notice = failureNotice(why);
    g_opponent.suggestionKey = 0;
    if (g_opponent.computerKey != 0) {
        g_opponent.computerKey = 0;
        g_game->computerTurnIfDue();
    }
}

// A move the engine answered, as a legal move of the position, or 0.
uint32_t legalAnswer(const char* text) {
    const uint32_t move = text_move(text);
    return move ? queen_promotion_of(move) : 0;
}

void badAnswer(const char* text) {
    Log("Engine answered \"%s\", not a legal move here\n", text);
    uciFail(g_opponent.engine, UciFailure::BadMove);
    g_opponent.failureHandled = false;
}

// The computer's answer, once it has come and the board is free.
void computerAnswerStep() {
    if (g_opponent.computerKey == 0) return;
    if (g_opponent.computerKey != positionKey()) { // the game changed under the question
        g_opponent.computerKey = 0;
        return;
    }
    if (!g_game->mayComputerMove()) return;
    char text[16];
    if (!uciTakeAnswer(g_opponent.engine, g_opponent.computerKey, text)) return;
    const uint32_t move = legalAnswer(text);
    if (move == 0) {
        badAnswer(text);
        handleFailure(); // the built-in engine plays this turn
        return;
    }
    g_opponent.computerKey = 0;
    g_game->record.PlayComputerMove(move);
}

void suggestionAnswerStep() {
    if (g_opponent.suggestionKey == 0) return;
    if (g_opponent.suggestionKey != (positionKey() ^ SUGGESTION_SALT) ||
        !playerMaySeeSuggestion()) {
        g_opponent.suggestionKey = 0;
        return;
    }
    char text[16];
    if (!uciTakeAnswer(g_opponent.engine, g_opponent.suggestionKey, text)) return;
    g_opponent.suggestionKey = 0;
    const uint32_t move = legalAnswer(text);
    if (move == 0) {
        badAnswer(text);
        handleFailure();
        g_game->suggestMoveForPlayer(); // the built-in engine answers the question
        return;
    }
    const Move m = to_move(move);
    fireHook(g_game->hooks.suggestion, int(m.from), int(m.to), SUGGESTION_SECONDS);
}

// The built-in engine's answer searched beside the frame, played once the board is free.
void builtinAnswerStep() {
    uint32_t move = 0;
    const bool gameGoesOn = localGame() && g_app && g_game->gameStarted;
    switch (thinkingBesideStep(positionKey(), gameGoesOn, g_game->mayComputerMove(), move)) {
    case BesideNews::Answer:
        if (move == 0)
            tellPlayer("(No legal moves)"); // as the in-line search says it
        else
            g_game->record.PlayComputerMove(queen_promotion_of(move));
        break;
    case BesideNews::AskAgain:
        g_game->computerTurnIfDue();
        break;
    case BesideNews::None:
        break;
    }
}

// A failure is told over the board, not over the intro or the menu.
void noticeStep() {
    const AppState* app = g_app;
    if (!g_opponent.notice || !app || !g_game->gameStarted || g_game->menuOpen ||
        g_game->introRunning)
        return;
    tellPlayer(g_opponent.notice);
    g_opponent.notice = nullptr;
}

} // namespace

bool namesBuiltinEngine(const std::string& engine) {
    const std::vector<std::string> words = commandWords(engine);
    if (words.empty()) return true;
    std::string first = words[0];
    for (char& c : first)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return first == "builtin" || first == "built-in";
}

void startOpponent(const OpponentChoice& choice) {
    uciQuit(g_opponent.engine);
    g_opponent.choice = choice;
    g_opponent.computerKey = g_opponent.suggestionKey = 0;
    g_opponent.notice = nullptr;
    g_opponent.failureHandled = true;
    g_opponent.position.reserve(64 * 1024);
    if (namesBuiltinEngine(choice.engine)) {
        g_opponent.engine = UciEngine();
        return;
    }
    const std::vector<std::string> argv = commandWords(choice.engine);
    std::string error;
    if (!uciStart(g_opponent.engine, argv, choice.level, error)) {
        std::fprintf(stderr, "chess3d: engine %s; the built-in engine plays\n", error.c_str());
        Log("Engine %s; the built-in engine plays\n", error.c_str());
        g_opponent.notice = failureNotice(UciFailure::NotStarted);
        return;
    }
    g_opponent.engine.moveTimeMs = choice.moveTimeMs;
    g_opponent.engine.graceMs = choice.graceMs;
    g_opponent.engine.deadlineMs = clock_ms() + choice.graceMs;
    g_opponent.failureHandled = false;
}

const OpponentChoice& opponentChoice() {
    return g_opponent.choice;
}

int builtinDepth() {
    const int level = g_opponent.choice.level;
    return level < ENGINE_LEVEL_MIN   ? ENGINE_LEVEL_MIN
           : level > ENGINE_LEVEL_MAX ? ENGINE_LEVEL_MAX
                                      : level;
}

bool externalComputerMove() {
    if (!engineUsable()) return false;
    const uint64_t key = positionKey();
    char text[16];
    if (uciTakeAnswer(g_opponent.engine, key, text)) {
        g_opponent.computerKey = 0;
        const uint32_t move = legalAnswer(text);
        if (move == 0) {
            badAnswer(text);
            handleFailure();
            return false; // this very turn goes to the built-in engine
        }
        g_game->record.PlayComputerMove(move);
        return true;
    }
    if (!uciSearching(g_opponent.engine, key)) {
        uciAsk(g_opponent.engine, key, positionLine());
        g_opponent.askedAtMs = clock_ms();
    }
    g_opponent.computerKey = key;
    return true;
}

bool builtinMoveBeside() {
    const SearchOrder order{builtinDepth(), g_opponent.choice.openingBook, 1, 33554432};
    return thinkBeside(positionKey(), order);
}

bool externalSuggestion() {
    if (!engineUsable()) return false;
    const uint64_t key = positionKey() ^ SUGGESTION_SALT;
    if (!uciSearching(g_opponent.engine, key)) uciAsk(g_opponent.engine, key, positionLine());
    g_opponent.suggestionKey = key;
    return true;
}

void opponentStep() {
    if (g_opponent.engine.phase != UciPhase::Off) uciPoll(g_opponent.engine);
    if (g_opponent.engine.phase == UciPhase::Failed) handleFailure();
    computerAnswerStep();
    builtinAnswerStep();
    suggestionAnswerStep();
    if (g_opponent.engine.phase == UciPhase::Failed) handleFailure();
    noticeStep();
}

const char* opponentThinking() {
    const int64_t builtinSince = thinkingBesideSinceMs();
    if (builtinSince >= 0)
        return clock_ms() - builtinSince < THINKING_SIGN_DELAY_MS ? nullptr : BUILTIN_NAME;
    if (g_opponent.computerKey == 0 || !engineUsable()) return nullptr;
    if (clock_ms() - g_opponent.askedAtMs < THINKING_SIGN_DELAY_MS) return nullptr;
    return g_opponent.engine.name.c_str();
}

int64_t opponentThinkingInMs() {
    int64_t since = thinkingBesideSinceMs();
    if (since < 0) {
        if (g_opponent.computerKey == 0 || !engineUsable()) return -1;
        since = g_opponent.askedAtMs;
    }
    return std::max<int64_t>(0, THINKING_SIGN_DELAY_MS - (clock_ms() - since));
}

const UciEngine& uciOpponent() {
    return g_opponent.engine;
}

void stopOpponent() {
    uciQuit(g_opponent.engine);
}
