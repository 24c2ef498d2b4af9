// SPDX-License-Identifier: GPL-3.0-or-later
// What chess players asked for, on the whole game in one process with the test clock: the sounds
// of moves, checks, mates, refusals and chat lines; the move line; the replay of a game.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "anim/anim_manager.h"
#include "anim/move_sounds.h"
#include "app/input.h"
#include "board/board_scene.h"
#include "board/camera_views.h"
#include "board/captured_row.h"
#include "board/check_mark.h"
#include "board/intro.h"
#include "board/square_picking.h"
#include "chess/fen.h"
#include "chess/make_move.h"
#include "chess/notation.h"
#include "chess/position.h"
#include "engine/KivEngine.h"
#include "game/file_jobs.h"
#include "game/game_end_state.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/load_list.h"
#include "game/player_info.h"
#include "game/replay.h"
#include "game/save_folder.h"
#include "game/saved_games.h"
#include "game/settings.h"
#include "game/typed_move.h"
#include "game/unfinished_game.h"
#include "tests/app/game_fixture.h"
#include "ui/chat.h"
#include "ui/interface.h"
#include "ui/material_balance.h"
#include "ui/move_line.h"
#include "ui/move_list.h"
#include "ui/text_overlay.h"

namespace {

constexpr int KEY_TAB = 9;

int squareOf(const char* name) {
    return ('8' - name[1]) * 8 + (name[0] - 'a');
}

class ChessAdditions : public GameFixture {
protected:
    // A game as White from the menu, nothing moving, the settings at their defaults (kept in a
    // folder of the test's own), the camera not following the side to move. No picture is looked
    // at: frames are not drawn.
    void SetUp() override {
        GameFixture::SetUp();
        drawFrames() = false;
        char folder[] = "/tmp/chess3d-additions-XXXXXX";
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
        ToggleGameView();
    }
    void TearDown() override {
        finish_file_jobs(); // the unfinished game may still be on its way to the folder
        std::filesystem::remove_all(saveFolder);
        set_save_folder("./Save/");
    }
    std::string saveFolder;

    static bool settled() {
        return !g_game->menuOpen && !g_game->pieceInMotion && !IsCameraMoving();
    }
    static bool playerToMove() {
        return settled() && !g_game->awaitingOpponent && g_game->sideToMove == 0;
    }

    // Coordinate moves ("e2e4", castling as the king's move) loaded as a game is: the record
    // replaced, the board rebuilt.
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

    // The info line as the player sees it: its panel up and `text` written on it.
    static bool infoLineShows(const char* text) {
        const KTexte* line = g_ui->overlay->infoText;
        return !g_ui->info->hidden && GetMatByName(g_scene, "info")->opacity > 0.5f &&
               line->visible && std::strcmp(line->texte, text) == 0;
    }

    static void click(const char* square) { onBoardClick(g_game->squares[squareOf(square)].node); }
    static void play(const char* from, const char* to) {
        click(from);
        click(to);
        click(to);
    }
};

// The sounds asked for so far, by sound.
std::vector<int> soundCounts() {
    std::vector<int> counts;
    for (int s = int(GameSound::Move); s <= int(GameSound::Chat); ++s)
        counts.push_back(gameSoundCount(GameSound(s)));
    return counts;
}

} // namespace

TEST_F(ChessAdditions, EachMoveSoundsOnceWhenItLandsAndTheKeyVSilencesThem) {
    struct Case {
        std::vector<const char*> game;
        const char *from, *to;
        GameSound sound;
    };
    const Case cases[] = {
        {{}, "e2", "e4", GameSound::Move},
        {{"e2e4", "d7d5"}, "e4", "d5", GameSound::Capture},
        {{"e2e4", "a7a6", "e4e5", "d7d5"}, "e5", "d6", GameSound::Capture}, // en passant
        {{"e2e4", "e7e5", "f1c4", "d7d6"}, "c4", "f7", GameSound::Check},   // a capture too
        {{"e2e4", "e7e5", "f1c4", "b8c6", "d1h5", "g8f6"}, "h5", "f7", GameSound::Mate},
        {{"e2e4", "e7e5", "g1f3", "b8c6", "f1c4", "g8f6"}, "e1", "g1", GameSound::Move}, // O-O
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + c.to);
        load(c.game);
        ASSERT_TRUE(playerToMove());
        std::vector<int> expected = soundCounts();
        ++expected[int(c.sound) - 1];
        play(c.from, c.to);
        // Nothing until the move (the castling rook's glide too) has landed, then one sound.
        EXPECT_NE(soundCounts(), expected);
        EXPECT_TRUE(runFramesUntil([&] { return soundCounts() == expected; }, 100, 0.04));
    }

    // A move the selected piece cannot make is refused aloud; a chat line from the other player
    // rings; with the sounds switched off (key V, kept in the settings) nothing sounds.
    load({"e2e4", "e7e5"});
    std::vector<int> expected = soundCounts();
    click("g1");
    click("g4");
    ++expected[int(GameSound::Refused) - 1];
    EXPECT_EQ(soundCounts(), expected);
    unsigned char line[75] = {'C', 'H', '>', 'h', 'i'};
    chatReceived(line);
    ++expected[int(GameSound::Chat) - 1];
    EXPECT_EQ(soundCounts(), expected);
    chatKey(KEY_TAB); // the chat, opened by the line, closes

    onKeyDown('V');
    onKeyUp('V');
    EXPECT_FALSE(gameSettings().sounds);
    EXPECT_TRUE(runFramesUntil([] { return infoLineShows("Sounds off"); }, 10));
    loadGameSettings(settingsPath());
    EXPECT_FALSE(gameSettings().sounds);
    click("g1");
    click("g4");
    chatReceived(line);
    chatKey(KEY_TAB);
    play("g1", "f3");
    ASSERT_TRUE(runFramesUntil([] { return g_game->sideToMove == 0 && settled(); }, 300));
    EXPECT_EQ(soundCounts(), expected);
    onKeyDown('V');
    onKeyUp('V');
    EXPECT_TRUE(gameSettings().sounds);
}

namespace {

constexpr int KEY_ENTER = 13, KEY_SHIFT = 16, KEY_ESCAPE = 27;
constexpr int KEY_LEFT = 37, KEY_UP = 38, KEY_RIGHT = 39, KEY_DOWN = 40;

void press(int key) {
    onKeyDown(key);
    onKeyUp(key);
}

// Types `text` on the keyboard: capitals with Shift, '-' and '=' on their keys.
void type(const char* text) {
    for (const char* c = text; *c; ++c) {
        if (*c >= 'A' && *c <= 'Z') {
            onKeyDown(KEY_SHIFT);
            press(*c);
            onKeyUp(KEY_SHIFT);
        } else if (*c >= 'a' && *c <= 'z') {
            press(*c - 32);
        } else {
            press(*c == '-' ? 189 : *c == '=' ? 187 : *c);
        }
    }
}

// The record's move at `ply` as coordinates ("e2e4").
std::string recorded(int ply) {
    const RecordedMove m = g_game->record.moves[ply];
    return {char('a' + rm_from_column(m)), char('8' - rm_from_row(m)), char('a' + rm_to_column(m)),
            char('8' - rm_to_row(m))};
}

} // namespace

TEST_F(ChessAdditions, TypedMovesGoThroughTheClicksAndRefusalsSayWhy) {
    // Letters typed on the line reach neither the game's keys (A: camera, B: take-back request,
    // F: full screen, L, M, V, R, S) nor the board.
    load({"d2d4", "d7d5", "g1f3", "g8f6"});
    const GameSettings before = gameSettings();
    const int gameView = g_anim->game_view;
    press(KEY_ENTER);
    ASSERT_TRUE(moveLineOpen());
    type("abfhlmrsv");
    EXPECT_EQ(g_anim->game_view, gameView);
    EXPECT_FALSE(g_game->questionShown);
    EXPECT_FALSE(g_app->screen->fullscreen);
    EXPECT_EQ(gameSettings().moveHints, before.moveHints);
    EXPECT_EQ(gameSettings().sounds, before.sounds);
    EXPECT_STREQ(moveLineTyped(), "abfhlmrsv");
    press(KEY_ESCAPE);
    EXPECT_FALSE(moveLineOpen());

    struct Case {
        std::vector<const char*> game;
        const char* typed;
        const char* said; // null: played, as `move`
        const char* move;
    };
    const Case cases[] = {
        {{"d2d4", "d7d5", "g1f3", "g8f6"}, "Nd2", "Ambiguous : Nbd2 or Nfd2", nullptr},
        {{"d2d4", "d7d5", "g1f3", "g8f6"}, "Nbd2", nullptr, "b1d2"},
        {{"d2d4", "d7d5", "g1f3", "g8f6"}, "Ke3", "Illegal move : Ke3", nullptr},
        {{"d2d4", "d7d5", "g1f3", "g8f6"}, "O-O", "Illegal move : O-O", nullptr},
        {{"d2d4", "d7d5", "g1f3", "g8f6"}, "Zz9", "Not a move : Zz9", nullptr},
        {{}, "e4", nullptr, "e2e4"},
        {{}, "nf3", nullptr, "g1f3"},
        {{"e2e4", "d7d5"}, "exd5", nullptr, "e4d5"},
        {{"e2e4", "e7e5", "g1f3", "b8c6", "f1c4", "g8f6"}, "o-o", nullptr, "e1g1"},
        {{"e2e4", "e7e5"}, "d2d4", nullptr, "d2d4"},
        {{"a2a4", "b7b5", "a4b5", "a7a6", "b5a6", "c8b7", "a6b7", "g8f6"},
         "bxa8=N",
         "Promotion to a queen only",
         nullptr},
        {{"a2a4", "b7b5", "a4b5", "a7a6", "b5a6", "c8b7", "a6b7", "g8f6"}, "bxa8", nullptr, "b7a8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        load(c.game);
        ASSERT_TRUE(playerToMove());
        forgetPlayerMessage();
        const int count = g_game->record.moves.count;
        const int refused = gameSoundCount(GameSound::Refused);
        press(KEY_ENTER);
        type(c.typed);
        press(KEY_ENTER);
        if (c.said) {
            // Told on the info line, and kept there while the text waits to be corrected.
            EXPECT_TRUE(runFramesUntil([&] { return infoLineShows(c.said); }, 10));
            EXPECT_FALSE(runFramesUntil([&] { return !infoLineShows(c.said); }, 40));
            EXPECT_EQ(g_game->record.moves.count, count);
            EXPECT_EQ(gameSoundCount(GameSound::Refused), refused + 1);
            EXPECT_TRUE(moveLineOpen()) << "the text stays to be corrected";
            EXPECT_STREQ(moveLineTyped(), c.typed);
            press(KEY_ESCAPE);
            EXPECT_TRUE(runFramesUntil([&] { return !g_ui->overlay->infoText->visible; }, 10));
        } else {
            ASSERT_EQ(g_game->record.moves.count, count + 1);
            EXPECT_EQ(recorded(count), c.move);
            EXPECT_FALSE(moveLineOpen());
            EXPECT_EQ(g_game->selectedPiece, nullptr);
        }
    }

    // A move typed while the computer's reply glides is played when it has landed.
    load({"e2e4", "e7e5"});
    play("g1", "f3");
    ASSERT_TRUE(runFramesUntil([] { return g_game->record.moves.count == 4; }, 300, 0.04));
    ASSERT_NE(g_game->pieceInMotion, nullptr);
    press(KEY_ENTER);
    type("Bc4");
    press(KEY_ENTER);
    EXPECT_EQ(g_game->record.moves.count, 4);
    ASSERT_TRUE(runFramesUntil([] { return g_game->record.moves.count >= 5; }, 300, 0.04));
    EXPECT_EQ(recorded(4), "f1c4");
}

TEST_F(ChessAdditions, AReplayStepsThroughTheGameAndAMoveFromThePastDropsTheRestOnce) {
    // Captures both ways, castling on the long side and a mate threat: the opera game to White's
    // 16th move; the computer plays Black's.
    const std::vector<const char*> game = {
        "e2e4", "e7e5", "g1f3", "d7d6", "d2d4", "c8g4", "d4e5", "g4f3", "d1f3", "d6e5", "f1c4",
        "g8f6", "f3b3", "d8e7", "b1c3", "c7c6", "c1g5", "b7b5", "c3b5", "c6b5", "c4b5", "b8d7",
        "e1c1", "a8d8", "d1d7", "d8d7", "h1d1", "e7e6", "b5d7", "f6d7", "b3b8", "d7b8"};
    load(std::vector<const char*>(game.begin(), game.end() - 1));
    ASSERT_TRUE(
        runFramesUntil([] { return playerToMove() && g_game->record.moves.count == 32; }, 300));
    const int count = g_game->record.moves.count;
    std::vector<RecordedMove> whole(g_game->record.moves.begin(), g_game->record.moves.end());

    // Invariant at every step: the board shows the first `plies` moves (pieces, taken pieces,
    // side to move), the engine stands there too, the record is whole, and the move list marks
    // the move shown.
    auto showsPlies = [&](int plies) {
        PieceId ids[64];
        PromotedPawns promoted = 0;
        start_square_ids(ids);
        for (int i = 0; i < plies; ++i)
            apply_recorded_move(whole[size_t(i)], ids, &promoted, nullptr, false);
        for (int s = 0; s < 64; ++s) {
            const PieceRecord* p = g_game->squares[s].piece;
            const PieceId id = p ? make_piece_id(p->colour, p->kind, p->index) : NO_PIECE;
            if (id != ids[s]) return testing::AssertionFailure() << "square " << s;
        }
        if (g_game->record.ShownCount() != plies || history_ply != plies ||
            g_game->sideToMove != plies % 2 || side_to_move != plies % 2)
            return testing::AssertionFailure() << "shown " << g_game->record.ShownCount();
        if (g_game->record.moves.count != count) return testing::AssertionFailure() << "record cut";
        return testing::AssertionSuccess();
    };
    auto stepAndSettle = [&](int key) {
        press(key);
        return runFramesUntil([] { return !g_game->pieceInMotion; }, 100);
    };
    // Ten moves back (through the captures on d7 and the long castling) and forward again.
    for (int plies = count - 1; plies >= count - 10; --plies) {
        ASSERT_TRUE(stepAndSettle(KEY_LEFT));
        ASSERT_TRUE(showsPlies(plies)) << plies;
    }
    for (int plies = count - 9; plies <= count; ++plies) {
        ASSERT_TRUE(stepAndSettle(KEY_RIGHT));
        ASSERT_TRUE(showsPlies(plies)) << plies;
    }
    press(KEY_UP);
    EXPECT_TRUE(showsPlies(0));
    press(KEY_LEFT); // nothing before the start
    EXPECT_TRUE(showsPlies(0));
    ASSERT_TRUE(stepAndSettle(KEY_RIGHT));
    EXPECT_TRUE(showsPlies(1));
    press(KEY_DOWN);
    EXPECT_TRUE(showsPlies(count));

    // Three moves back, pressed faster than the pieces glide (Black's 15th to play, the
    // computer's): it does not move; the move list marks White's 15th.
    for (int i = 0; i < 3; ++i)
        press(KEY_LEFT);
    ASSERT_TRUE(runFramesUntil([&] { return g_game->record.ShownCount() == count - 3; }, 100));
    ASSERT_TRUE(runFramesUntil([] { return !g_game->pieceInMotion; }, 100));
    gameSettings().moveList = true;
    runFramesUntil([] { return false; }, 20);
    EXPECT_TRUE(showsPlies(count - 3));
    bool marked = false;
    for (KTexte* row : moveListView().rows)
        marked = marked ||
                 (row->visible && std::string(row->texte).find("15.>Bxd7+") != std::string::npos);
    EXPECT_TRUE(marked);

    // One more back, White to play: a move there asks once; refused, nothing changes; agreed,
    // the later moves go and the game goes on from there against the computer.
    ASSERT_TRUE(stepAndSettle(KEY_LEFT));
    play("b5", "c6");
    ASSERT_TRUE(g_game->questionShown);
    EXPECT_STREQ(g_ui->overlay->requestLine1->texte, "Drop the later moves");
    answerLocalRequest(false);
    showRequest(false, nullptr, nullptr);
    EXPECT_TRUE(showsPlies(count - 4));
    play("b5", "c6");
    answerLocalRequest(true);
    showRequest(false, nullptr, nullptr);
    ASSERT_TRUE(runFramesUntil([] { return g_game->record.replayPlies < 0; }, 50));
    ASSERT_GE(g_game->record.moves.count, count - 3);
    EXPECT_EQ(g_game->record.replayPlies, -1);
    EXPECT_EQ(recorded(count - 4), "b5c6");
    for (int i = 0; i < count - 4; ++i)
        EXPECT_EQ(g_game->record.moves[i], whole[size_t(i)]) << i;
    EXPECT_TRUE(runFramesUntil([&] { return g_game->record.moves.count == count - 2; }, 300));

    // A step's glide cut short by a loaded game: the arrows still step afterwards.
    load(std::vector<const char*>(game.begin(), game.begin() + 4));
    ASSERT_TRUE(runFramesUntil(playerToMove, 300));
    press(KEY_LEFT);
    ASSERT_NE(g_game->pieceInMotion, nullptr);
    load(std::vector<const char*>(game.begin(), game.begin() + 6));
    ASSERT_TRUE(stepAndSettle(KEY_LEFT));
    EXPECT_EQ(g_game->record.ShownCount(), 5);
}

// The board tells the game as it stands after loads, replay steps and take-backs: the red square
// under a king in check, the pieces taken beside the board by colour in the order taken, the
// material balance. Key A's choice is written at once and kept by the next run's games.
TEST_F(ChessAdditions, CheckMarkCapturedRowBalanceAndTheKeptCameraChoice) {
    // Black's queen takes on g2 and then on e4 with check; each side has taken two pawns.
    const std::vector<const char*> trap = {"e2e4", "e7e5", "g1f3", "b8c6", "f1c4", "c6d4", "f3e5",
                                           "d8g5", "e5f7", "g5g2", "h1f1", "g2e4", "d1e2", "e4e2",
                                           "c4e2", "d4c2", "e1d1", "c2a1", "f7h8", "g8f6"};
    auto row = [](int colour) { // the kinds shown, in order
        int pieces[16];
        std::string kinds;
        for (int i = 0, n = shownCapturedPieces(colour, pieces); i < n; ++i)
            kinds += char('0' + g_game->pieces[pieces[i]]->kind);
        return kinds;
    };
    auto settledOn = [](int plies) {
        return [plies] { return playerToMove() && g_game->record.ShownCount() == plies; };
    };
    load(std::vector<const char*>(trap.begin(), trap.begin() + 12));
    ASSERT_TRUE(runFramesUntil(settledOn(12), 300));
    EXPECT_EQ(shownCheckSquare(), squareOf("e1"));
    EXPECT_EQ(row(0), "22");
    EXPECT_EQ(row(1), "22");
    EXPECT_STREQ(materialBalanceText(), "");
    // A step back shows Black to move out of check; forward, the check again.
    ASSERT_TRUE(replayGame(ReplayStep::Back));
    ASSERT_TRUE(runFramesUntil([] { return settled() && g_game->record.ShownCount() == 11; }, 300));
    EXPECT_EQ(shownCheckSquare(), -1);
    EXPECT_EQ(row(0), "2") << "the e4 pawn back on the board";
    EXPECT_STREQ(materialBalanceText(), "White +1");
    ASSERT_TRUE(replayGame(ReplayStep::Forward));
    ASSERT_TRUE(runFramesUntil(settledOn(12), 300));
    EXPECT_EQ(shownCheckSquare(), squareOf("e1"));
    // Taken back to White's sixth move: no check, the e4 pawn back.
    ASSERT_EQ(g_game->record.TakeBack(), 2);
    ASSERT_TRUE(runFramesUntil(settledOn(10), 300));
    EXPECT_EQ(shownCheckSquare(), -1);
    EXPECT_EQ(row(0), "2");
    EXPECT_STREQ(materialBalanceText(), "White +1");
    // The whole game: queens traded, a rook each, Black's knight took two pawns more.
    load(trap);
    ASSERT_TRUE(runFramesUntil(settledOn(20), 300));
    EXPECT_EQ(shownCheckSquare(), -1);
    EXPECT_EQ(row(0), "22327") << "g2, e4, the queen, c2, the rook on a1";
    EXPECT_EQ(row(1), "2237") << "e5, f7, the queen, the rook on h8";
    EXPECT_STREQ(materialBalanceText(), "Black +1");

    // Key A (the loaded game's camera followed; now it stays) writes the choice at once; the next
    // run reads it, and its new games show the player's own side without turning.
    ASSERT_TRUE(g_anim->game_view);
    onKeyDown('A');
    onKeyUp('A');
    EXPECT_FALSE(g_anim->game_view);
    gameSettings() = GameSettings{};
    ASSERT_TRUE(loadGameSettings(settingsPath()));
    EXPECT_FALSE(gameSettings().followSideToMove);
    startNewGame(1);
    ASSERT_TRUE(runFramesUntil([] { return settled() && g_game->record.moves.count == 1; }, 300));
    EXPECT_FALSE(g_anim->game_view);
    EXPECT_EQ(g_anim->view_index, 1) << "Black's own side, the computer's move made";
}

// The game against the computer is on the disk, whole, once each move has landed (all a process
// killed between two moves leaves), the load list's first line, and the only file it touches; a
// take-back keeps the shorter game; a new game and a mate remove it.
TEST_F(ChessAdditions, TheUnfinishedGameIsKeptMoveByMoveUntilANewGameOrTheEnd) {
    const std::string kept = saveFolder + "/" + UNFINISHED_GAME_FILE, other = saveFolder + "/a.chs";
    ASSERT_TRUE(write_saved_game(other.c_str(), nullptr, 0));
    auto keptIsTheRecord = [&] {
        finish_file_jobs();
        std::vector<RecordedMove> onDisk;
        if (read_saved_game(kept.c_str(), onDisk) != SavedGameRead::Ok) return false;
        const GameRecord& r = g_game->record;
        return onDisk == std::vector<RecordedMove>(r.moves.block, r.moves.block + r.moves.count);
    };
    for (const char* move : {"e2e4", "d2d3"}) {
        play(std::string(move, 2).c_str(), move + 2);
        ASSERT_TRUE(runFramesUntil(playerToMove, 600));
        EXPECT_TRUE(keptIsTheRecord()) << "after " << g_game->record.moves.count << " moves";
    }
    static std::vector<LoadableGame> listed;
    start_load_list(g_game->record, [](const std::vector<LoadableGame>& l, bool) {
        listed.insert(listed.end(), l.begin(), l.end());
    });
    finish_file_jobs();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].file, UNFINISHED_GAME_FILE);
    g_game->questionCode = 'B';
    answerLocalRequest(true);
    EXPECT_EQ(g_game->record.moves.count, 2);
    EXPECT_TRUE(keptIsTheRecord()) << "after a take-back";
    g_game->questionCode = 'R';
    answerLocalRequest(true);
    finish_file_jobs();
    EXPECT_FALSE(std::filesystem::exists(kept)) << "after a new game";
    play("e2", "e4");
    ASSERT_TRUE(runFramesUntil(playerToMove, 600));
    ASSERT_TRUE(keptIsTheRecord());
    answerResignQuestion(true);
    finish_file_jobs();
    EXPECT_FALSE(std::filesystem::exists(kept)) << "after a resignation";
    load({"e2e4", "e7e5", "f1c4", "b8c6", "d1h5", "g8f6"});
    play("h5", "f7");
    ASSERT_TRUE(runFramesUntil(settled, 600));
    finish_file_jobs();
    EXPECT_FALSE(std::filesystem::exists(kept)) << "after the mate";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(saveFolder), {}), 1)
        << "a.chs alone stays";
}

// A pawn typed onto the last row without its piece becomes a queen for either side, by a push
// or a capture; any other piece named is refused with its reason.
TEST(TypedPromotion, EitherSidesPawnOntoTheLastRowBecomesAQueen) {
    struct Case {
        const char* fen;
        const char* typed;
        const char* move; // the coordinate move with its queen; null: refused
    };
    const Case cases[] = {
        {"4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b8", "b7b8q"},
        {"r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "bxa8", "b7a8q"},
        {"4k3/8/8/8/8/8/4p3/K7 b - - 0 1", "e1", "e2e1q"},
        {"4k3/8/8/8/8/8/1p6/R3K3 b - - 0 1", "bxa1", "b2a1q"},
        {"4k3/8/8/8/8/8/1p6/R3K3 b - - 0 1", "bxa1=N", nullptr},
        {"4k3/8/8/8/8/8/1p6/R3K3 w - - 0 1", "bxa1", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fen) + " " + c.typed);
        ASSERT_TRUE(set_position_fen(c.fen));
        const TypedMove typed = read_typed_move(c.typed);
        if (!c.move) {
            EXPECT_NE(typed.result, TypedMoveResult::Move);
            EXPECT_NE(typed.why[0], 0) << "a refusal says why";
            continue;
        }
        ASSERT_EQ(typed.result, TypedMoveResult::Move) << typed.why;
        EXPECT_EQ(typed.move, text_move(c.move));
    }
}
