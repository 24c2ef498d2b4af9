// SPDX-License-Identifier: GPL-3.0-or-later
// The additions to a game against the computer, on the whole game in one process with the test
// clock: the move hints equal the legal moves, the last move is marked whoever played it, the
// move list follows the record, the suggestion is the move the computer itself would play, and
// the wheel and full screen keep within their limits.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "anim/anim_manager.h"
#include "app/camera_zoom.h"
#include "app/input.h"
#include "app/request_keys.h"
#include "board/board_moves.h"
#include "board/board_scene.h"
#include "board/camera_views.h"
#include "board/intro.h"
#include "board/move_marks.h"
#include "board/square_picking.h"
#include "chess/make_move.h"
#include "chess/notation.h"
#include "chess/position.h"
#include "engine/KivEngine.h"
#include "game/file_jobs.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/opponent.h"
#include "game/save_folder.h"
#include "game/settings.h"
#include "tests/app/game_fixture.h"
#include "tests/support/allocation_count.h"
#include "ui/interface.h"
#include "ui/move_list.h"
#include "ui/text_overlay.h"

namespace {

constexpr int KEY_SHIFT = 16, KEY_QUESTION = 191, KEY_ESCAPE = 27, KEY_END = 35, KEY_HOME = 36;

uint64_t bit(int square) {
    return uint64_t(1) << square;
}

int squareOf(const char* name) {
    return ('8' - name[1]) * 8 + (name[0] - 'a');
}

uint64_t squares(std::initializer_list<const char*> names) {
    uint64_t bits = 0;
    for (const char* n : names)
        bits |= bit(squareOf(n));
    return bits;
}

class Extras : public GameFixture {
protected:
    // A game as White from the menu, nothing moving, the settings at their defaults.
    void SetUp() override {
        GameFixture::SetUp();
        // The settings file of this test's own, not the one of the game in the bin folder.
        char folder[] = "/tmp/chess3d-extras-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        saveFolder = folder;
        set_save_folder(saveFolder);
        gameSettings() = GameSettings{};
        IntroSkip();
        ASSERT_TRUE(runFramesUntil([] { return g_game->menuOpen && !IsCameraMoving(); }, 300));
        startNewGame(0);
        g_game->gameStarted = 1;
        toggleMenu();
        ASSERT_TRUE(runFramesUntil(settled, 300));
    }

    void TearDown() override {
        startOpponent(OpponentChoice{}); // the built-in engine with its book, as at start-up
        finish_file_jobs(); // the unfinished game may still be on its way to the folder
        std::filesystem::remove_all(saveFolder);
        set_save_folder("./Save/");
    }

    std::string saveFolder;

    static bool settled() {
        return !g_game->menuOpen && !g_game->pieceInMotion && !IsCameraMoving();
    }
    // The player's turn with nothing moving.
    static bool playerToMove() {
        return settled() && !g_game->awaitingOpponent && g_game->sideToMove == 0;
    }

    // Coordinate moves ("e2e4", castling as the king's move) loaded as a game from the peer or
    // a file is: the record replaced, the board rebuilt.
    static void load(const std::vector<const char*>& moves) {
        PieceId ids[64];
        PromotedPawns promoted = 0;
        start_square_ids(ids);
        std::vector<unsigned char> bytes;
        for (const char* m : moves) {
            const int from = squareOf(m), to = squareOf(m + 2);
            const PieceId id = ids[from];
            const RecordedMove r = make_recorded_move(from / 8, from % 8, to / 8, to % 8,
                                                      id_colour(id), id_kind(id), id_index(id));
            apply_recorded_move(r, ids, &promoted, nullptr, false);
            for (int b = 0; b < 4; ++b)
                bytes.push_back(static_cast<unsigned char>(uint32_t(r) >> (8 * b)));
        }
        ASSERT_TRUE(g_game->record.LoadMoves(bytes.data(), int(moves.size())));
        g_game->record.RestoreBoard();
        ASSERT_TRUE(runFramesUntil(settled, 300));
    }

    static void step() {
        KAdvanceTestClock(0.04);
        runFrame();
    }
    static void pressKey(int key) {
        onKeyDown(key);
        onKeyUp(key);
    }
    // A click of the player on a square, through the board's click handling, then one frame.
    static void click(int square) {
        onBoardClick(g_game->squares[square].node);
        step();
    }
    static GameSettings readSettingsFile() {
        const GameSettings kept = gameSettings();
        loadGameSettings(settingsPath());
        const GameSettings read = gameSettings();
        gameSettings() = kept;
        return read;
    }
    static void play(const char* from, const char* to) {
        click(squareOf(from));
        click(squareOf(to));
        click(squareOf(to));
    }

    static void confirmRequest(int code) {
        askRequest(code);
        answerLocalRequest(true);
        showRequest(false, nullptr, nullptr);
    }

    static void pressQuestion() {
        onKeyDown(KEY_SHIFT);
        onKeyDown(KEY_QUESTION);
        onKeyUp(KEY_QUESTION);
        onKeyUp(KEY_SHIFT);
    }

    // The record's last move as the squares it joins; none for an empty record.
    static uint64_t lastRecorded() {
        if (g_game->record.moves.count == 0) return 0;
        const RecordedMove m = g_game->record.moves[g_game->record.moves.count - 1];
        return bit(rm_from_row(m) * 8 + rm_from_column(m)) |
               bit(rm_to_row(m) * 8 + rm_to_column(m));
    }

    // What describes the engine's game: squares, side, the undo stack's depth, the root moves.
    using PositionKey = std::vector<int>;
    static PositionKey positionKey() {
        PositionKey key(square_color, square_color + 64);
        key.insert(key.end(), square_piece, square_piece + 64);
        key.insert(key.end(), {side_to_move, castle_rights, ep_square, fifty_counter, history_ply,
                               ply_first_move[0], ply_first_move[1]});
        for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i)
            key.push_back(int(move_value(move_stack[i].move)));
        return key;
    }

    static std::vector<std::string> shownRows() {
        std::vector<std::string> rows;
        const MoveListView& v = moveListView();
        for (KTexte* t : v.rows)
            if (t->visible) rows.push_back(t->texte);
        return rows;
    }
};

// Positions with White (the player) to move: plain, castling, en passant, check with pins and
// blocks, a promotion by capture, castling refused through an attacked square.
const std::vector<std::vector<const char*>> POSITIONS = {
    {},
    {"e2e4", "e7e5", "g1f3", "b8c6", "f1c4", "g8f6"},
    {"e2e4", "a7a6", "e4e5", "d7d5"},
    {"d2d4", "e7e5", "d4e5", "f8b4"},
    {"a2a4", "b7b5", "a4b5", "a7a6", "b5a6", "c8b7", "a6b7", "g8f6"},
    {"e2e4", "g8f6", "g1f3", "f6e4", "f1c4", "e4g3"},
};

} // namespace

TEST_F(Extras, HintsAreTheLegalMovesOfTheSelectedPieceAndTheKeyLSwitchesThemOff) {
    for (size_t i = 0; i < POSITIONS.size(); ++i) {
        load(POSITIONS[i]);
        ASSERT_TRUE(playerToMove()) << "position " << i;
        // The engine's legal moves, by origin: the squares and which of them take.
        Move legal[MAX_LEGAL_MOVES];
        const int count = legal_moves(legal);
        for (PieceRecord* p : g_game->pieces) {
            if (!p->square || p->colour != 0) continue;
            const int from = p->row * 8 + p->column;
            uint64_t engineQuiet = 0, engineTakes = 0;
            for (int k = 0; k < count; ++k)
                if (legal[k].from == from)
                    (legal[k].flags & MF_CAPTURE ? engineTakes : engineQuiet) |= bit(legal[k].to);
            uint64_t boardAllows = 0;
            for (int s = 0; s < 64; ++s)
                if (g_game->tryMove(p, &g_game->squares[s], false)) boardAllows |= bit(s);

            click(from);
            ASSERT_EQ(g_game->selectedPiece, p);
            const ShownMarks shown = shownMoveMarks();
            const std::string where =
                "position " + std::to_string(i) + ", square " + std::to_string(from);
            EXPECT_EQ(shown.quiet, engineQuiet) << where;
            EXPECT_EQ(shown.captures, engineTakes) << where;
            EXPECT_EQ(shown.quiet | shown.captures, boardAllows) << where << ": the clicks";
        }
    }
    // Some of the table's cases, by name: castling, en passant, the check, the refused castling.
    load(POSITIONS[1]);
    click(squareOf("e1"));
    EXPECT_EQ(shownMoveMarks().quiet, squares({"e2", "f1", "g1"}));
    load(POSITIONS[2]);
    click(squareOf("e5"));
    EXPECT_EQ(shownMoveMarks().quiet, squares({"e6"}));
    EXPECT_EQ(shownMoveMarks().captures, squares({"d6"}));
    load(POSITIONS[3]);
    click(squareOf("b1"));
    EXPECT_EQ(shownMoveMarks().quiet, squares({"c3", "d2"}));
    load(POSITIONS[5]);
    click(squareOf("e1")); // the knight on g3 covers e2 and f1: no step, no castling
    EXPECT_EQ(shownMoveMarks().quiet | shownMoveMarks().captures, 0u);
    click(squareOf("h2"));
    EXPECT_EQ(shownMoveMarks().quiet, squares({"h3", "h4"}));
    EXPECT_EQ(shownMoveMarks().captures, squares({"g3"}));

    // L: off at once for the piece selected, and on again; the choice is written beside the
    // saved games.
    pressKey('L');
    EXPECT_FALSE(gameSettings().moveHints);
    step();
    EXPECT_EQ(shownMoveMarks().quiet | shownMoveMarks().captures, 0u);
    EXPECT_FALSE(readSettingsFile().moveHints);
    pressKey('L');
    step();
    EXPECT_EQ(shownMoveMarks().quiet, squares({"h3", "h4"}));
    EXPECT_TRUE(readSettingsFile().moveHints);
    // A click on a square the pawn cannot reach puts the selection and its hints down.
    click(squareOf("a6"));
    EXPECT_EQ(g_game->selectedPiece, nullptr);
    EXPECT_EQ(shownMoveMarks().quiet | shownMoveMarks().captures, 0u);
}

TEST_F(Extras, TheLastMoveIsMarkedAfterThePlayerTheComputerATakeBackAndALoad) {
    EXPECT_EQ(shownMoveMarks().lastMove, 0u) << "a new game has no last move";
    play("e2", "e4");
    EXPECT_EQ(shownMoveMarks().lastMove, squares({"e2", "e4"}));

    // The computer's reply: the two squares where its piece left and arrived.
    uint64_t blackBefore = 0;
    for (int s = 0; s < 64; ++s)
        if (g_game->squares[s].piece && g_game->squares[s].piece->colour == 1)
            blackBefore |= bit(s);
    ASSERT_TRUE(
        runFramesUntil([] { return g_game->record.moves.count == 2 && playerToMove(); }, 300));
    uint64_t blackAfter = 0;
    for (int s = 0; s < 64; ++s)
        if (g_game->squares[s].piece && g_game->squares[s].piece->colour == 1) blackAfter |= bit(s);
    EXPECT_EQ(shownMoveMarks().lastMove, blackBefore ^ blackAfter);

    // A take-back: the record's new last move, at once.
    const int before = g_game->record.moves.count;
    confirmRequest('B');
    step();
    ASSERT_LT(g_game->record.moves.count, before);
    EXPECT_EQ(shownMoveMarks().lastMove, lastRecorded());

    // A saved game loaded as the load screen loads it: its own last move, castling as the
    // king's two squares.
    load({"e2e4", "e7e5", "g1f3", "b8c6", "f1c4", "g8f6", "e1g1", "f8c5"});
    const std::string path = saveFolder + "/castled.chs";
    ASSERT_TRUE(g_game->record.SaveGame(path.c_str()));
    load({"d2d4"});
    ASSERT_TRUE(
        runFramesUntil([] { return g_game->record.moves.count == 2 && playerToMove(); }, 300));
    ASSERT_TRUE(g_game->record.LoadGame(path.c_str()));
    g_game->record.RestoreBoard();
    step();
    EXPECT_EQ(shownMoveMarks().lastMove, squares({"f8", "c5"}));
    play("f1", "e1");
    EXPECT_EQ(shownMoveMarks().lastMove, squares({"f1", "e1"}));

    // Switched off in the settings: none.
    gameSettings().lastMoveMarks = false;
    step();
    EXPECT_EQ(shownMoveMarks().lastMove, 0u);
}

TEST_F(Extras, TheMoveListFollowsMovesTakeBacksAndLoadsAndScrolls) {
    const MoveListView& v = moveListView();
    load({"e2e4", "e7e5", "g1f3", "b8c6", "f1b5", "a7a6", "b5c6", "d7c6"});
    step();
    EXPECT_FALSE(v.title->visible) << "hidden until M";
    pressKey('M');
    step();
    EXPECT_TRUE(v.title->visible);
    EXPECT_EQ(shownRows(), (std::vector<std::string>{"  1. e4      e5", "  2. Nf3     Nc6",
                                                     "  3. Bb5     a6", "  4. Bxc6    dxc6"}));
    EXPECT_EQ(v.rows[3]->r, 1.0f) << "the latest line is white";
    EXPECT_LT(v.rows[2]->r, 1.0f);

    // Castling, then the computer's reply on the same line.
    play("e1", "g1");
    EXPECT_EQ(shownRows().back(), "  5. O-O");
    ASSERT_TRUE(
        runFramesUntil([] { return g_game->record.moves.count == 10 && playerToMove(); }, 300));
    EXPECT_EQ(shownRows().size(), 5u);
    EXPECT_NE(shownRows().back(), "  5. O-O");

    // A take-back shortens it at once.
    confirmRequest('B');
    step();
    const std::vector<std::string> rows = shownRows();
    ASSERT_FALSE(rows.empty());
    if (g_game->record.moves.count == 9)
        EXPECT_EQ(rows.back(), "  5. O-O");
    else
        EXPECT_EQ(rows.back(), "  4. Bxc6    dxc6");

    // Not over the menu; back with the board.
    pressKey(KEY_ESCAPE);
    step();
    EXPECT_FALSE(v.title->visible);
    EXPECT_TRUE(shownRows().empty());
    pressKey(KEY_ESCAPE);
    ASSERT_TRUE(runFramesUntil(settled, 300));
    EXPECT_TRUE(v.title->visible);

    // A long game loaded: the last sixteen moves, numbered from the fifth, with Black's check.
    std::vector<const char*> shuffle;
    for (int i = 0; i < 10; ++i)
        for (const char* m : {"g1f3", "g8f6", "f3g1", "f6g8"})
            shuffle.push_back(m);
    shuffle.insert(shuffle.end(), {"f2f3", "e7e5", "g2g4"});
    load(shuffle);
    ASSERT_TRUE(
        runFramesUntil([] { return g_game->record.moves.count == 44 && playerToMove(); }, 300));
    const std::vector<std::string> longRows = shownRows();
    ASSERT_EQ(longRows.size(), size_t(MOVE_LIST_ROWS));
    EXPECT_EQ(longRows.front().substr(0, 5), "  7. ");
    EXPECT_EQ(longRows.back(), " 22. g4      Qh4#") << "the computer mates at once";
}

TEST_F(Extras, TheSuggestionIsTheMoveTheComputerWouldPlayAndLeavesTheGameAsItWas) {
    OpponentChoice noBook; // the search's move, as the suggestion is
    noBook.openingBook = false;
    startOpponent(noBook);
    for (size_t i : {size_t(0), size_t(1), size_t(3)}) {
        load(POSITIONS[i]);
        PositionKey before = positionKey();
        pressQuestion();
        step();
        const uint64_t suggested = shownMoveMarks().suggested;
        EXPECT_EQ(__builtin_popcountll(suggested), 2) << "position " << i;
        EXPECT_EQ(positionKey(), before) << "position " << i << ": the engine's game moved";

        // The computer, now playing White, plays that very move.
        const int count = g_game->record.moves.count;
        confirmRequest('W');
        ASSERT_TRUE(
            runFramesUntil([count] { return g_game->record.moves.count == count + 1; }, 300));
        EXPECT_EQ(lastRecorded(), suggested) << "position " << i;
        // The suggestion goes with the move played; the colours come back for the next case.
        step();
        EXPECT_EQ(shownMoveMarks().suggested, 0u);
        ASSERT_TRUE(runFramesUntil(settled, 300));
        confirmRequest('W');
        ASSERT_TRUE(runFramesUntil(settled, 300));
    }
    // Shown for a few seconds only, and not over the menu.
    load(POSITIONS[0]);
    pressQuestion();
    step();
    EXPECT_NE(shownMoveMarks().suggested, 0u);
    ASSERT_TRUE(runFramesUntil([] { return shownMoveMarks().suggested == 0; }, 100));
    pressKey(KEY_ESCAPE);
    step();
    pressQuestion();
    step();
    EXPECT_EQ(shownMoveMarks().suggested, 0u);
}

TEST_F(Extras, TheWheelEasesTheCameraWithinItsLimitsAndKeepsTheDistance) {
    const KVector centre(3.5f, 0, 3.5f);
    auto eye = [] { return g_board->camera->GetWorldMatrix().GetTrans(); };
    const KVector viewEye = eye();

    onMouseWheel(50 * 120, 0); // fifty notches nearer: stops at the limit
    EXPECT_EQ(cameraZoomChosen(), ZOOM_NEAREST);
    step();
    EXPECT_LT(cameraZoomReached(), 0.0f) << "moving";
    EXPECT_GT(cameraZoomReached(), ZOOM_NEAREST) << "eased, not at once";
    ASSERT_TRUE(runFramesUntil([] { return cameraZoomReached() == ZOOM_NEAREST; }, 40, 0.04));
    EXPECT_NEAR((eye() - viewEye).Length(), -ZOOM_NEAREST, 0.001f);
    EXPECT_LT((eye() - centre).Length(), (viewEye - centre).Length() - 3) << "towards the board";

    onMouseWheel(-500 * 120, 0);
    EXPECT_EQ(cameraZoomChosen(), ZOOM_FARTHEST);
    ASSERT_TRUE(runFramesUntil([] { return cameraZoomReached() == ZOOM_FARTHEST; }, 60, 0.04));
    const KVector farEye = eye();
    EXPECT_NEAR((farEye - viewEye).Length(), ZOOM_FARTHEST, 0.001f);
    EXPECT_GT((farEye - centre).Length(), (viewEye - centre).Length() + 5) << "away from it";

    // Another view and back: the camera keeps the distance all the way (no flight to the view's
    // own distance followed by an ease back, which pumped at every turn).
    auto keptAll = [] {
        EXPECT_EQ(cameraZoomReached(), ZOOM_FARTHEST);
        return settled();
    };
    pressKey(KEY_END);
    ASSERT_TRUE(runFramesUntil(keptAll, 300));
    pressKey(KEY_HOME);
    ASSERT_TRUE(runFramesUntil(keptAll, 300));
    EXPECT_NEAR((eye() - farEye).Length(), 0.0f, 0.001f);

    // Half a notch of a fine wheel is half a step; nothing over the menu.
    onMouseWheel(60, 0);
    EXPECT_FLOAT_EQ(cameraZoomChosen(), ZOOM_FARTHEST - ZOOM_PER_NOTCH / 2);
    pressKey(KEY_ESCAPE);
    onMouseWheel(5 * 120, 0);
    EXPECT_FLOAT_EQ(cameraZoomChosen(), ZOOM_FARTHEST - ZOOM_PER_NOTCH / 2);
}

TEST_F(Extras, FullScreenFitsA43PictureAndLeavingItRestoresTheWindow) {
    const int width = g_app->width, height = g_app->height;
    pressKey('F');
    ASSERT_TRUE(g_app->screen->fullscreen);
    EXPECT_EQ(g_app->width * 3, g_app->height * 4) << g_app->width << " x " << g_app->height;
    EXPECT_GT(g_app->width, width);
    EXPECT_EQ(g_ui->overlay->screenWidth, g_app->width) << "texts laid out for the new size";
    EXPECT_EQ(g_ui->overlay->infoText->x, g_app->width * 272 / 800);
    const int fullWidth = g_app->width;
    pressKey(122); // F11 waits for the window
    EXPECT_EQ(g_app->width, fullWidth);
    step();
    EXPECT_EQ(g_scene->screenWidth, fullWidth);

    // Alt+Enter leaves it: the window's own size again, the texts with it.
    onKeyDown(18);
    pressKey(13);
    onKeyUp(18);
    EXPECT_FALSE(g_app->screen->fullscreen);
    EXPECT_EQ(g_app->width, width);
    EXPECT_EQ(g_app->height, height);
    EXPECT_EQ(g_ui->overlay->screenWidth, width);
    step();
    EXPECT_EQ(g_scene->screenWidth, width);

    // Over an open text line too: the screen switches, the line is neither sent nor confirmed.
    pressKey(9); // Tab: the chat line
    pressKey('A');
    onKeyDown(18);
    pressKey(13);
    onKeyUp(18);
    EXPECT_TRUE(g_app->screen->fullscreen);
    EXPECT_EQ(g_ui->overlay->chatCursor, 2) << "the chat line was sent";
}

TEST_F(Extras, FramesWithEveryAdditionShowingAllocateNothing) {
    load({"e2e4", "e7e5", "g1f3", "b8c6"});
    pressKey('M');
    click(squareOf("f3"));
    pressQuestion();
    onMouseWheel(-3 * 120, 0);
    step();
    ASSERT_NE(shownMoveMarks().quiet, 0u);
    ASSERT_NE(shownMoveMarks().suggested, 0u);
    ASSERT_TRUE(moveListView().title->visible);
    const long before = allocationCount();
    for (int i = 0; i < 25; ++i) {
        KAdvanceTestClock(0.04);
        cameraZoomStep();
        moveMarksStep();
        moveListStep();
    }
    EXPECT_EQ(allocationCount() - before, 0) << "the additions' frame steps allocated";
    const long framesBefore = allocationCount();
    for (int i = 0; i < 25; ++i)
        step();
    EXPECT_EQ(allocationCount() - framesBefore, 0) << "whole frames allocated";
}
