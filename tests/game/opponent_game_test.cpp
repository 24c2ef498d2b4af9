// SPDX-License-Identifier: GPL-3.0-or-later
// The computer played by a UCI engine, on the whole game in one process: Debian's stockfish plays
// a few moves of a game without a window and answers the suggestion key, and engines that go
// wrong (missing, ending, hanging, answering junk, never ready) are replaced by the built-in
// engine with a message and nothing lost. The engines are real processes: the waits here are on
// real time, with generous limits, for conditions, never for fixed times.

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>

#include "anim/anim_manager.h"
#include "app/input.h"
#include "board/camera_views.h"
#include "board/intro.h"
#include "board/move_marks.h"
#include "board/square_picking.h"
#include "chess/position.h"
#include "chess/search_thread.h"
#include "game/child_process.h"
#include "game/computer_thinking.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/move_suggestion.h"
#include "game/opponent.h"
#include "game/pgn.h"
#include "game/player_info.h"
#include "tests/app/game_fixture.h"
#include "ui/thinking_sign.h"

namespace {

constexpr int KEY_SHIFT = 16, KEY_QUESTION = 191;

class Opponent : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        IntroSkip();
        ASSERT_TRUE(runFramesUntil([] { return g_game->menuOpen && !IsCameraMoving(); }, 300));
    }
    void TearDown() override { startOpponent(OpponentChoice{}); }

    static bool settled() {
        return !g_game->menuOpen && !g_game->pieceInMotion && !IsCameraMoving();
    }

    // Frames of 0.1 s of test clock until `done`, for at most `seconds` of real time.
    template <class Done> static bool waitReal(Done done, double seconds) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            KAdvanceTestClock(0.1);
            if (!runFrame()) return false;
        }
        return true;
    }

    // A new game with the local player on `colour`, menu closed, the camera not following the
    // side to move (fewer frames to draw: the computer answers as soon as a move has landed).
    void startGameAs(int colour) {
        startNewGame(colour);
        g_game->gameStarted = 1;
        if (g_game->menuOpen) toggleMenu();
        if (g_anim->game_view) ToggleGameView();
        forgetPlayerMessage();
    }

    // The player's move: the built-in engine's choice, played with the three clicks.
    static void playerMoves() {
        const uint32_t move = suggest_move();
        ASSERT_NE(move, 0u);
        const Move m = to_move(move);
        for (int square : {int(m.from), int(m.to), int(m.to)})
            onBoardClick(g_game->squares[square].node);
    }

    // Waits until the record holds `count` moves and the board is still with the player to
    // move; records whether the thinking sign showed meanwhile.
    bool computerHasPlayed(int count, double seconds, bool* signShown = nullptr) {
        return waitReal(
            [&] {
                if (signShown && thinkingSignShown()) *signShown = true;
                return g_game->record.moves.count == count && settled() &&
                       !g_game->awaitingOpponent;
            },
            seconds);
    }

    // Every recorded move legal from the start position.
    static bool recordIsLegal() {
        ReplayedGame game;
        replay_recorded_game(g_game->record.moves.block, g_game->record.moves.count, game);
        return game.refused_at < 0 && int(game.san.size()) == g_game->record.moves.count;
    }
};

} // namespace

TEST_F(Opponent, StockfishPlaysAGameWithoutAWindowAndAnswersTheSuggestionKey) {
    ASSERT_FALSE(findProgram("stockfish").empty())
        << "Debian's stockfish is not installed (scripts/install-deps.sh installs it)";
    OpponentChoice choice;
    choice.engine = "stockfish";
    choice.level = 2;
    choice.moveTimeMs = 600; // long enough for the thinking sign (it waits 0.3 s)
    startOpponent(choice);
    ASSERT_TRUE(waitReal([] { return uciOpponent().phase == UciPhase::Ready; }, 30));
    EXPECT_EQ(uciOpponent().name.rfind("Stockfish", 0), 0u) << uciOpponent().name;
    EXPECT_EQ(uciOpponent().strength, UciStrength::SkillLevel);

    // Stockfish plays White: its moves and the player's, three each.
    startGameAs(1);
    bool signShown = false;
    for (int turn = 0; turn < 3; ++turn) {
        ASSERT_TRUE(computerHasPlayed(2 * turn + 1, 60, &signShown)) << "turn " << turn;
        playerMoves();
    }
    ASSERT_TRUE(computerHasPlayed(7, 60, &signShown));
    EXPECT_TRUE(recordIsLegal());
    EXPECT_TRUE(signShown);
    EXPECT_FALSE(thinkingSignShown()) << "the sign stays after the answer";
    EXPECT_EQ(uciOpponent().phase, UciPhase::Ready) << "stockfish was dropped";
    EXPECT_EQ(lastPlayerMessage(), nullptr) << lastPlayerMessage();

    // The suggestion key asks stockfish: the squares are marked when it answers.
    onKeyDown(KEY_SHIFT);
    onKeyDown(KEY_QUESTION);
    onKeyUp(KEY_QUESTION);
    onKeyUp(KEY_SHIFT);
    EXPECT_TRUE(waitReal([] { return shownMoveMarks().suggested != 0; }, 60));
    EXPECT_EQ(g_game->record.moves.count, 7);
}

TEST_F(Opponent, AnEngineThatGoesWrongIsReplacedByTheBuiltInEngineWithNothingLost) {
    struct Case {
        const char* engine;
        UciFailure failure;
        const char* notice;
        int movesByEngine; // White's moves it played before going wrong
    };
    const std::string fake = FAKE_UCI_ENGINE;
    // The same engine at a path with blanks, named in double quotes ("spaced crash").
    namespace fs = std::filesystem;
    const fs::path spacedDir =
        fs::temp_directory_path() / ("chess3d engines " + std::to_string(getpid()));
    fs::create_directories(spacedDir);
    const fs::path spaced = spacedDir / "fake engine";
    fs::remove(spaced);
    fs::create_symlink(fake, spaced);
    const Case cases[] = {
        {"/nonexistent/engine", UciFailure::NotStarted, "Engine missing : built-in plays", 0},
        {"spaced crash", UciFailure::Ended, "Engine stopped : built-in plays", 1},
        {"hang", UciFailure::Silent, "Engine silent : built-in plays", 1},
        {"garbage", UciFailure::BadMove, "Engine bad move : built-in plays", 1},
        {"mute", UciFailure::Silent, "Engine silent : built-in plays", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.engine);
        OpponentChoice choice;
        choice.engine = c.engine[0] == '/' ? std::string(c.engine) : fake + " " + c.engine;
        if (std::strncmp(c.engine, "spaced ", 7) == 0)
            choice.engine = "\"" + spaced.string() + "\" " + (c.engine + 7);
        choice.graceMs = 1500;
        startOpponent(choice);
        startGameAs(1);
        // The engine's first move (e2e4) when it plays one, the player's reply, then the turn
        // the engine fails on, played by the built-in engine.
        ASSERT_TRUE(computerHasPlayed(1, 60));
        if (c.movesByEngine == 1) {
            EXPECT_EQ(rm_from_row(g_game->record.moves[0]), 6);
            EXPECT_EQ(rm_from_column(g_game->record.moves[0]), 4);
            EXPECT_EQ(rm_to_row(g_game->record.moves[0]), 4);
            playerMoves();
            ASSERT_TRUE(computerHasPlayed(3, 60));
        }
        EXPECT_EQ(uciOpponent().phase, UciPhase::Failed);
        EXPECT_EQ(uciOpponent().failure, c.failure);
        ASSERT_NE(lastPlayerMessage(), nullptr);
        EXPECT_STREQ(lastPlayerMessage(), c.notice);
        EXPECT_TRUE(recordIsLegal());
        // The built-in engine goes on playing.
        const int before = g_game->record.moves.count;
        playerMoves();
        EXPECT_TRUE(computerHasPlayed(before + 2, 60));
        EXPECT_FALSE(thinkingSignShown());
    }
    fs::remove_all(spacedDir);
}

// The built-in engine searching beside the frame: its answer is the in-line search's; a new game
// and a take-back while it thinks drop the search at once, no stale answer is played, and the
// computer answers the next time it is due (also at the very position it was dropped at); a
// quit while it thinks ends the worker.
TEST_F(Opponent, TheBuiltInEngineThinksBesideTheFrameAndADroppedSearchNeverSilencesIt) {
    OpponentChoice choice;
    choice.level = 6;
    choice.openingBook = false;
    startOpponent(choice);
    ASSERT_TRUE(startThinkingBeside());
    // The search's start or, were it missed, the answer it gave.
    const auto thinkingOver = [](int moves) {
        return [moves] { return thinkingBeside() || g_game->record.moves.count > moves; };
    };
    const auto clickMove = [](uint32_t move) {
        const Move m = to_move(move);
        for (int square : {int(m.from), int(m.to), int(m.to)})
            onBoardClick(g_game->squares[square].node);
    };

    // 1. A new game while the computer thinks over White's first move, now with the player on
    // White: nothing is played for the computer.
    startGameAs(1);
    ASSERT_TRUE(waitReal(thinkingOver(0), 60));
    ASSERT_TRUE(thinkingBeside());
    EXPECT_GE(opponentThinkingInMs(), 0) << "the sign is not on its way";
    startGameAs(0);
    EXPECT_FALSE(thinkingBeside());
    const uint32_t playerMove = suggest_move();
    ASSERT_NE(playerMove, 0u);

    // 2. A take-back while the computer thinks over its answer, then the same move again: the
    // computer answers the second time, with the in-line search's move.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        clickMove(playerMove);
        ASSERT_TRUE(waitReal(thinkingOver(1), 60));
        if (round == 1) break;
        ASSERT_TRUE(thinkingBeside());
        beforeBoardReplaced(); // as the agreed take-back does
        ASSERT_EQ(g_game->record.TakeBack(), 1);
        EXPECT_FALSE(thinkingBeside());
        ASSERT_TRUE(waitReal(settled, 60));
    }
    const uint32_t inLine = run_search_order(SearchOrder{6, false, 0, 33554432}).move;
    ASSERT_TRUE(computerHasPlayed(2, 120));
    const RecordedMove answer = g_game->record.moves[1];
    EXPECT_EQ(rm_from_row(answer) * 8 + rm_from_column(answer), int(to_move(inLine).from));
    EXPECT_EQ(rm_to_row(answer) * 8 + rm_to_column(answer), int(to_move(inLine).to));

    // 3. A new game with the computer on White again, dropped and asked again at once: it moves.
    startGameAs(1);
    ASSERT_TRUE(waitReal(thinkingOver(0), 60));
    startGameAs(1);
    ASSERT_TRUE(computerHasPlayed(1, 120));

    // 4. A quit while it thinks: the worker is told to stop and ends, nothing more is played.
    clickMove(suggest_move());
    ASSERT_TRUE(waitReal(thinkingOver(2), 60));
    ASSERT_TRUE(thinkingBeside());
    stopThinkingBeside();
    EXPECT_FALSE(thinkingBesideOn());
    EXPECT_FALSE(thinkingBeside());
    EXPECT_EQ(g_game->record.moves.count, 2);
}
