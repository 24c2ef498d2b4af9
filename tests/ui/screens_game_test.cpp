// SPDX-License-Identifier: GPL-3.0-or-later
// The load and save screens in the whole game, driven through the window's callbacks with the
// test clock: a game saved under a typed name, loaded back over a later position, and a load
// that fails leaving the game on the board as it was. The games this test saves in the
// program's "./Save/" carry the process number and are removed with their PGN.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "anim/anim_manager.h"
#include "app/game_main.h"
#include "app/input.h"
#include "app/launch_options.h"
#include "board/board_moves.h"
#include "board/camera_views.h"
#include "engine/KivEngine.h"
#include "game/file_jobs.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/player_info.h"
#include "platform/win32.h"
#include "tests/app/game_fixture.h"
#include "tests/ui/ui_world.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"

namespace fs = std::filesystem;

namespace {

constexpr float LOAD_X = 5.0f, SAVE_X = 8.5f, ENTRY_Z = 1.2f; // main page entries on the wall

class ScreensGame : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        for (const char* what : {"saved", "gone", "db"})
            names.push_back("screens" + std::to_string(getpid()) + what);
    }
    void TearDown() override {
        for (const std::string& n : names)
            for (const char* ext : {".chs", ".pgn"})
                fs::remove("Save/" + n + ext);
    }
    static bool wait(bool (*done)(), int frames = 60) { return runFramesUntil(done, frames); }
    static void press(int code) {
        onKeyDown(code);
        onKeyUp(code);
    }
    static void clickWall(float x, float z) {
        int px, py;
        wallPixel(x, z, &px, &py);
        onMouseMove(0, px, py);
        runFramesUntil([] { return false; }, 1);
        onMouseDown(1, px, py);
        onMouseUp();
    }
    // Moves the bar onto the line that reads `text`.
    static bool selectLine(const std::string& text) {
        const std::vector<KTexte*>& lines = g_ui->overlay->fileLines;
        for (size_t i = 0; i < lines.size() && text != lines[g_ui->listIndex]->texte; ++i)
            press(VK_DOWN);
        return !lines.empty() && text == lines[g_ui->listIndex]->texte;
    }
    static bool resting() { return !IsCameraMoving() && !g_game->pieceInMotion; }
    static bool menuResting() { return g_game->menuOpen && resting() && g_ui->page == 0; }
    // Opens the menu when needed, takes a main-page entry and waits for its panel and its list
    // (the load screen's list is made by the file worker).
    static bool openScreen(float x) {
        if (!g_game->menuOpen) press(VK_ESCAPE);
        if (!wait(menuResting)) return false;
        clickWall(x, ENTRY_Z);
        if (!wait([] { return g_ui->loadScreenOpen || g_ui->saveScreenOpen; })) return false;
        runFramesUntil([] { return false; }, 8); // the panel fades in
        finish_file_jobs();
        return true;
    }
    // Moves the bar onto the saved game `file`.
    static bool select(const std::string& file) {
        for (int i = 0; i < g_game->record.saved_file_names.count; ++i)
            if (g_game->record.saved_file_names[i] == file)
                while (g_ui->listIndex < i)
                    press(VK_DOWN);
        return g_ui->listIndex < g_game->record.saved_file_names.count &&
               g_game->record.saved_file_names[g_ui->listIndex] == file;
    }
    // The local player's move, as the third click plays it, and the computer's answer.
    static bool playAndWait(int fr, int fc, int tr, int tc) {
        static int expected;
        expected = g_game->record.moves.count + 2;
        PieceRecord* p = g_game->squares[fr * 8 + fc].piece;
        if (!p || !g_game->tryMove(p, &g_game->squares[tr * 8 + tc], true)) return false;
        g_game->endTurn();
        return wait(
            [] {
                return g_game->record.moves.count == expected && resting() &&
                       g_game->sideToMove == g_game->humanColour;
            },
            200);
    }
    static std::vector<RecordedMove> recorded() {
        return std::vector<RecordedMove>(g_game->record.moves.begin(), g_game->record.moves.end());
    }
    std::vector<std::string> names;
};

// One story, in order: each step needs the state the previous one left.
TEST_F(ScreensGame, SavedUnderANameLoadedBackAndAFailedLoadKeepsTheGame) {
    press(VK_ESCAPE); // the intro
    ASSERT_TRUE(wait(menuResting, 100));
    const std::string saved = names[0], gone = names[1];

    // A game against the computer as White (new game, computer, level 4, White): e2-e4 and its
    // answer.
    const float entries[][2] = {{0.0f, 1.2f}, {0.0f, -1.0f}, {4.6f, -1.2f}};
    for (const auto& xz : entries) {
        clickWall(xz[0], xz[1]);
        runFramesUntil([] { return false; }, 35);
    }
    clickWall(6.0f, -1.0f);
    ASSERT_TRUE(wait([] { return !g_game->menuOpen && resting(); }));
    ASSERT_TRUE(playAndWait(6, 4, 4, 4));
    const std::vector<RecordedMove> atSave = recorded();

    // Saved under a typed name: the file holds the two moves.
    ASSERT_TRUE(openScreen(SAVE_X));
    press(VK_TAB);
    for (char c : saved)
        press(c >= 'a' ? c - 'a' + 'A' : c);
    press(VK_RETURN);
    press(VK_RETURN);
    EXPECT_FALSE(g_ui->saveScreenOpen || g_game->menuOpen);
    finish_file_jobs(); // the flush to the disk
    std::ifstream file("Save/" + saved + ".chs");
    std::vector<RecordedMove> onDisk;
    for (long v; file >> v;)
        onDisk.push_back(RecordedMove(v));
    EXPECT_EQ(onDisk, atSave);
    ASSERT_TRUE(wait(resting));

    // One move more, then the saved game loaded back over it.
    ASSERT_TRUE(playAndWait(6, 3, 4, 3));
    ASSERT_TRUE(openScreen(LOAD_X) && select(saved + ".chs"));
    press(VK_RETURN);
    press(VK_RETURN);
    EXPECT_EQ(recorded(), atSave);
    EXPECT_FALSE(g_game->menuOpen);
    PieceRecord* e4 = g_game->squares[4 * 8 + 4].piece;
    ASSERT_TRUE(e4 && e4->kind == KIND_PAWN && e4->colour == 0);
    EXPECT_EQ(g_game->squares[4 * 8 + 3].piece, nullptr) << "d2-d4 went with the load";
    ASSERT_TRUE(wait(resting));

    // A game deleted after the list was read cannot be opened: said, and the game stays.
    std::ofstream("Save/" + gone + ".chs").close();
    ASSERT_TRUE(openScreen(LOAD_X) && select(gone + ".chs"));
    fs::remove("Save/" + gone + ".chs");
    const std::vector<PieceId> ids(std::begin(g_game->record.square_ids),
                                   std::end(g_game->record.square_ids));
    press(VK_RETURN);
    press(VK_RETURN);
    EXPECT_STREQ(lastPlayerMessage(), "Cannot open saved game : not loaded");
    EXPECT_TRUE(wait([] { return g_ui->overlay->infoText->visible != 0; }, 5));
    EXPECT_EQ(recorded(), atSave);
    EXPECT_EQ(ids, std::vector<PieceId>(std::begin(g_game->record.square_ids),
                                        std::end(g_game->record.square_ids)));
    EXPECT_EQ(g_game->squares[4 * 8 + 4].piece, e4);
    ASSERT_TRUE(wait(resting));

    // A PGN file put in the folder: its games follow the saved games, one line each. One loads
    // whole; one the board cannot show is refused, naming its move, and the game stays.
    const std::string db = names[2];
    std::ofstream("Save/" + db + ".pgn")
        << "[Event \"a\"]\n1. e4 e5 *\n\n[Event \"b\"]\n1. d4 d5 2. c4 e6 *\n\n1. e4 e5 2. Ke3 *\n";
    ASSERT_TRUE(openScreen(LOAD_X) && selectLine(db + " - game 2"));
    press(VK_RETURN);
    press(VK_RETURN);
    EXPECT_EQ(recorded().size(), 4u);
    PieceRecord* c4 = g_game->squares[4 * 8 + 2].piece;
    ASSERT_TRUE(c4 && c4->kind == KIND_PAWN && c4->colour == 0);
    ASSERT_TRUE(wait(resting));
    ASSERT_TRUE(openScreen(LOAD_X) && selectLine(db + " - game 3"));
    press(VK_RETURN);
    press(VK_RETURN);
    EXPECT_STREQ(lastPlayerMessage(), "Illegal 2.Ke3 : not loaded");
    EXPECT_EQ(recorded().size(), 4u);
    EXPECT_EQ(g_game->squares[4 * 8 + 2].piece, c4);
}

TEST_F(ScreensGame, AGameFileNamedOnTheCommandLineOpensWithThePlayerToMove) {
    const fs::path file = fs::temp_directory_path() / (names[2] + ".pgn");
    std::ofstream(file) << "1. e4 e5 *\n\n[Event \"b\"]\n1. d4 d5 2. c4 *\n";
    LaunchOptions options;
    options.openFile = file.string();
    options.openGame = 2;
    startFromOptions(options);
    fs::remove(file);
    ASSERT_TRUE(wait([] { return !g_game->menuOpen && resting(); }));
    EXPECT_EQ(recorded().size(), 3u);
    EXPECT_EQ(g_game->humanColour, 1); // Black is to move: the board waits for the player
    runFramesUntil([] { return false; }, 30);
    EXPECT_EQ(recorded().size(), 3u);
}

} // namespace
