// SPDX-License-Identifier: GPL-3.0-or-later
// The wall's computer page sets the engine and level of the next game and settings.ini; an engine
// removed after it was listed leaves the built-in one playing; the music switch outlives a
// restart. Engines are looked for in a folder of the test's own (PATH), where the fake UCI engine
// stands under a known engine's name; /usr/games is searched after it.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/extra_keys.h"
#include "game/file_jobs.h"
#include "game/opponent.h"
#include "game/save_folder.h"
#include "game/settings.h"
#include "platform/win32.h"
#include "tests/ui/ui_world.h"
#include "ui/computer_page.h"
#include "ui/interface.h"

namespace {

class ComputerPage : public UiWorld {
protected:
    void SetUp() override {
        UiWorld::SetUp();
        char folder[] = "/tmp/chess3d-computer-page-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        dir = folder;
        set_save_folder(dir + "/");
        gameSettings() = GameSettings{};
        startOpponent(OpponentChoice{});
        oldPath = std::getenv("PATH");
        setenv("PATH", dir.c_str(), 1);
        openMenu();
    }
    void TearDown() override {
        startOpponent(OpponentChoice{});
        setenv("PATH", oldPath.c_str(), 1);
        finish_file_jobs(); // the unfinished game may still be on its way to the folder
        set_save_folder("./Save/");
        std::filesystem::remove_all(dir);
        UiWorld::TearDown();
    }
    void fakeEngine(const char* program) const {
        std::filesystem::create_symlink(FAKE_UCI_ENGINE, dir + "/" + program);
    }
    static void click(float x, float z) {
        pointAtWall(x, z);
        menuClick(nullptr, 1, g_ui->mouseX, g_ui->mouseY);
    }
    static void toComputerPage() { // new game, against the computer
        click(0.0f, 1.2f);
        click(0.0f, -1.0f);
    }
    std::string settingsFile() const {
        std::stringstream s;
        s << std::ifstream(dir + "/settings.ini").rdbuf();
        return s.str();
    }
    std::string dir, oldPath;
};

TEST_F(ComputerPage, TheChoiceGoesToTheNextGameAndToTheSettings) {
    fakeEngine("stockfish");
    toComputerPage();
    ASSERT_EQ(g_ui->page, COMPUTER_PAGE);
    menuKey(VK_RIGHT);
    menuKey(27); // Escape changes nothing
    EXPECT_EQ(g_ui->page, 0);
    EXPECT_EQ(opponentChoice().engine, "");
    EXPECT_FALSE(std::filesystem::exists(dir + "/settings.ini"));

    // Previous wraps to the last engine, next twice gives the first after the built-in one.
    toComputerPage();
    for (float x : {-3.0f, 10.0f, 10.0f})
        click(x, 1.2f);
    EXPECT_EQ(g_ui->page, COMPUTER_PAGE) << "an arrow only steps the engine";
    click(2.4f, -1.2f); // level 3
    EXPECT_EQ(g_ui->page, 3);
    EXPECT_EQ(opponentChoice().engine, "stockfish");
    EXPECT_EQ(opponentChoice().level, 3);
    EXPECT_STREQ(opponentLabel(), "Stockfish, level 3");
    EXPECT_NE(settingsFile().find("engine = stockfish\nlevel = 3\n"), std::string::npos);

    // By keys, from the choice in force: the built-in engine, the level down to 1 and no lower,
    // a digit out of range ignored.
    menuKey(27);
    toComputerPage();
    for (int key : {VK_LEFT, VK_DOWN, VK_DOWN, VK_DOWN, int('9'), VK_RETURN})
        menuKey(key);
    EXPECT_EQ(g_ui->page, 3);
    EXPECT_STREQ(opponentLabel(), "Built-in, level 1");
    gameSettings() = GameSettings{};
    ASSERT_TRUE(loadGameSettings(settingsPath()));
    EXPECT_EQ(gameSettings().engine, "");
    EXPECT_EQ(gameSettings().level, 1);
}

TEST_F(ComputerPage, AnEngineRemovedAfterItWasListedLeavesTheBuiltInOnePlaying) {
    // Toga II comes after Stockfish (this machine's, in /usr/games) and the engines it lacks.
    fakeEngine("toga2");
    toComputerPage();
    menuKey(VK_RIGHT);
    menuKey(VK_RIGHT);
    std::filesystem::remove(dir + "/toga2");
    menuKey('2');
    menuKey(VK_RETURN);
    ASSERT_EQ(opponentChoice().engine, "toga2") << "kept, as a command line's choice is";
    EXPECT_FALSE(externalComputerMove()) << "the built-in engine plays";
    EXPECT_EQ(builtinDepth(), 2);
}

TEST_F(ComputerPage, TheMusicSwitchOutlivesARestart) {
    for (bool on : {false, true}) {
        boardKey('N');
        gameSettings().music = !on;
        ASSERT_TRUE(loadGameSettings(settingsPath()));
        EXPECT_EQ(gameSettings().music, on);
    }
}

} // namespace
