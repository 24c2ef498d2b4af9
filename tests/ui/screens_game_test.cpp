// The load and save screens in the whole game, built once per process and driven through the
// screen's callbacks with the test clock: a game saved under a typed name and loaded back over
// a later position, and loads that fail leaving the game on the board as it was. The saved
// games this test makes in the program's "./Save/" carry the process number and are removed
// with the PGN a save writes beside them.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "anim/anim_manager.h"
#include "app/app_state.h"
#include "app/game_main.h"
#include "app/globals.h"
#include "app/input.h"
#include "board/board_moves.h"
#include "board/board_scene.h"
#include "board/player_info.h"
#include "engine/KivEngine.h"
#include "game/game_record.h"
#include "platform/win32.h"
#include "tests/ui/ui_world.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"

namespace fs = std::filesystem;

namespace {

bool g_built = false;

template <class Done> bool runUntil(Done done, int maxFrames, double dt = 0.1) {
    for (int i = 0; i < maxFrames; ++i) {
        if (done()) return true;
        KAdvanceTestClock(dt);
        if (!runFrame()) return false;
    }
    return done();
}

void press(int code) {
    onKeyDown(code);
    onKeyUp(code);
}

void type(const std::string& keys) {
    for (char k : keys)
        press(k >= 'a' && k <= 'z' ? k - 'a' + 'A' : k);
}

void clickWall(float x, float z) {
    int px, py;
    wallPixel(x, z, &px, &py);
    onMouseMove(0, px, py);
    KAdvanceTestClock(0.02);
    runFrame();
    onMouseDown(1, px, py);
    onMouseUp();
}

// The menu open with the wall resting on page 0.
bool menuReady() {
    return g_app->menuOpen && !IsCameraMoving() && g_ui->page == 0;
}

// Takes `entry` of the main page (2 load, 5 save) and waits until its list shows.
bool openListScreen(float x, float z) {
    clickWall(x, z);
    return runUntil(
        [] {
            return (g_ui->loadScreenOpen || g_ui->saveScreenOpen) &&
                   !g_ui->overlay->fileLines.empty() && g_ui->overlay->fileLines[0]->visible;
        },
        60);
}

bool openMenu() {
    if (!g_app->menuOpen) press(VK_ESCAPE);
    if (!runUntil(menuReady, 60)) return false;
    runUntil([] { return false; }, 5); // the pointer's light settles on the wall
    return true;
}

// Moves the selection bar onto the saved game `file` of the list.
bool select(const std::string& file) {
    for (int i = 0; i < g_record->saved_file_names.count; ++i) {
        if (g_record->saved_file_names[i] != file) continue;
        while (g_ui->listIndex < i)
            press(VK_DOWN);
        return g_ui->listIndex == i;
    }
    return false;
}

// The local player's move from square `from` to `to` (rows and columns), then the computer's
// answer, as the third click on the target plays it.
bool playAndWait(int fr, int fc, int tr, int tc) {
    PieceRecord* p = g_board->squares[fr * 8 + fc].piece;
    const int before = g_record->moves.count;
    if (!p || !tryMove(p, &g_board->squares[tr * 8 + tc], true)) return false;
    endTurn();
    return runUntil(
        [before] {
            return g_record->moves.count == before + 2 && !g_board->pieceInMotion &&
                   g_board->sideToMove == g_board->humanColour && !IsCameraMoving();
        },
        200);
}

std::vector<RecordedMove> recorded() {
    return std::vector<RecordedMove>(g_record->moves.begin(), g_record->moves.end());
}

class ScreensGame : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        KivInitDLL();
        KSetTestClock(true);
        g_built = buildGame();
        if (!g_built) return;
        shrinkWindow(); // software drawing: fewer pixels, the same game
        shrinkWindow();
        onKeyDown(VK_ESCAPE); // skip the intro
        g_built = runUntil(menuReady, 100);
    }
    void SetUp() override {
        if (!g_built) GTEST_SKIP() << "the game could not be built here (no display or data)";
        const std::string tag = "screens" + std::to_string(getpid());
        saved = tag + "saved";
        damaged = tag + "damaged";
        gone = tag + "gone";
    }
    void TearDown() override {
        for (const std::string& n : {saved, damaged, gone}) {
            fs::remove("Save/" + n + ".chs");
            fs::remove("Save/" + n + ".pgn"); // a save writes the game's PGN beside it
        }
    }
    std::string saved, damaged, gone;
};

// One story, in order: each step needs the state the previous one left.
TEST_F(ScreensGame, SaveUnderANameLoadItBackAndFailedLoadsKeepTheGame) {
    constexpr float LOAD_X = 5.0f, SAVE_X = 8.5f, ENTRY_Z = 1.2f;
    fs::create_directories("Save");
    std::ofstream("Save/" + damaged + ".chs") << "4351044\ne2e4\n";

    // Before any game: a damaged file is refused, the menu stays (there is no game to go to).
    ASSERT_TRUE(openListScreen(LOAD_X, ENTRY_Z));
    ASSERT_TRUE(select(damaged + ".chs"));
    forgetPlayerMessage();
    press(VK_RETURN);
    EXPECT_FALSE(g_ui->selectionOK->hidden);
    press(VK_RETURN);
    EXPECT_STREQ(lastPlayerMessage(), "Damaged saved game : not loaded");
    EXPECT_FALSE(g_ui->loadScreenOpen);
    EXPECT_FALSE(g_app->gameStarted);
    EXPECT_TRUE(g_app->menuOpen);
    EXPECT_EQ(g_record->moves.count, 0);
    ASSERT_TRUE(runUntil(menuReady, 60));

    // A game against the computer as White: e2-e4 and its answer.
    clickWall(0.0f, 1.2f);
    ASSERT_TRUE(runUntil([] { return g_ui->page == 1 && !IsCameraMoving(); }, 60));
    runUntil([] { return false; }, 35);
    clickWall(0.0f, -1.0f);
    runUntil([] { return false; }, 35);
    clickWall(6.0f, -1.0f);
    ASSERT_TRUE(g_app->gameStarted);
    ASSERT_TRUE(runUntil([] { return !g_app->menuOpen && !IsCameraMoving(); }, 60));
    ASSERT_TRUE(playAndWait(6, 4, 4, 4));
    const std::vector<RecordedMove> atSave = recorded();

    // Saved under a typed name: two Enters, the file holds the two moves.
    ASSERT_TRUE(openMenu());
    ASSERT_TRUE(openListScreen(SAVE_X, ENTRY_Z));
    press(VK_TAB);
    type(saved);
    press(VK_RETURN);
    press(VK_RETURN);
    EXPECT_FALSE(g_ui->saveScreenOpen);
    EXPECT_FALSE(g_app->menuOpen);
    {
        std::ifstream in("Save/" + saved + ".chs");
        std::vector<RecordedMove> onDisk;
        for (long v; in >> v;)
            onDisk.push_back(RecordedMove(v));
        EXPECT_EQ(onDisk, atSave);
    }
    ASSERT_TRUE(runUntil([] { return !IsCameraMoving(); }, 60));

    // One move more, then the saved game loaded back over it.
    ASSERT_TRUE(playAndWait(6, 3, 4, 3));
    ASSERT_EQ(g_record->moves.count, 4);
    ASSERT_TRUE(openMenu());
    ASSERT_TRUE(openListScreen(LOAD_X, ENTRY_Z));
    ASSERT_TRUE(select(saved + ".chs"));
    press(VK_RETURN);
    press(VK_RETURN);
    EXPECT_EQ(recorded(), atSave);
    EXPECT_FALSE(g_app->menuOpen);
    PieceRecord* e4 = g_board->squares[4 * 8 + 4].piece;
    ASSERT_NE(e4, nullptr);
    EXPECT_EQ(e4->kind, KIND_PAWN);
    EXPECT_EQ(e4->colour, 0);
    EXPECT_EQ(g_board->squares[4 * 8 + 3].piece, nullptr) << "d2-d4 was taken back by the load";
    EXPECT_NE(g_board->squares[6 * 8 + 3].piece, nullptr);
    ASSERT_TRUE(runUntil([] { return !IsCameraMoving(); }, 60));

    // A game deleted after the list was read cannot be opened: said, and the game stays.
    std::ofstream("Save/" + gone + ".chs") << "";
    ASSERT_TRUE(openMenu());
    ASSERT_TRUE(openListScreen(LOAD_X, ENTRY_Z));
    ASSERT_TRUE(select(gone + ".chs"));
    fs::remove("Save/" + gone + ".chs");
    PieceId before[64];
    std::copy(std::begin(g_record->square_ids), std::end(g_record->square_ids), before);
    press(VK_RETURN);
    press(VK_RETURN);
    EXPECT_STREQ(lastPlayerMessage(), "Cannot open saved game : not loaded");
    EXPECT_TRUE(runUntil([] { return g_ui->overlay->infoText->visible != 0; }, 10, 0.05))
        << "the player sees the message";
    EXPECT_EQ(recorded(), atSave);
    EXPECT_TRUE(std::equal(std::begin(before), std::end(before), g_record->square_ids));
    EXPECT_EQ(g_board->squares[4 * 8 + 4].piece, e4);
    EXPECT_FALSE(g_app->menuOpen);
}

} // namespace
