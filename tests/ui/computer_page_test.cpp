// The wall's computer page chooses the engine and level of the next game and keeps them in
// settings.ini; an engine listed but removed before it is chosen leaves the built-in one playing;
// the music switch outlives a restart. Engines are looked for in a folder of the test's own,
// where a fake UCI engine stands under a known engine's name.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/extra_keys.h"
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
        oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
        setenv("PATH", dir.c_str(), 1); // /usr/games is searched too: its engines come after
        openMenu();
    }
    void TearDown() override {
        startOpponent(OpponentChoice{});
        setenv("PATH", oldPath.c_str(), 1);
        set_save_folder("./Save/");
        std::filesystem::remove_all(dir);
        UiWorld::TearDown();
    }
    // The fake engine installed under a known engine's program name.
    void fakeEngine(const char* program) const {
        std::filesystem::create_symlink(FAKE_UCI_ENGINE, dir + "/" + program);
    }
    static bool click(float x, float z) {
        pointAtWall(x, z);
        return menuClick(nullptr, 1, g_ui->mouseX, g_ui->mouseY);
    }
    // New game, against the computer: the computer page.
    static void toComputerPage() {
        click(0.0f, 1.2f);
        click(0.0f, -1.0f);
    }
    std::string settingsFile() const {
        std::ifstream in(dir + "/settings.ini");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string dir, oldPath;
};

TEST_F(ComputerPage, TheChoiceGoesToTheNextGameAndToTheSettings) {
    fakeEngine("stockfish");
    toComputerPage();
    ASSERT_EQ(g_ui->page, COMPUTER_PAGE);
    // Escape leaves it all as it was.
    menuKey(VK_RIGHT);
    menuKey(27);
    EXPECT_EQ(g_ui->page, 0);
    EXPECT_EQ(opponentChoice().engine, "");
    EXPECT_FALSE(std::filesystem::exists(dir + "/settings.ini"));

    // The previous arrow from the built-in engine wraps to the last engine; next twice comes back
    // to the first after it: stockfish, found first in PATH.
    toComputerPage();
    click(-3.0f, 1.2f);
    click(10.0f, 1.2f);
    click(10.0f, 1.2f);
    EXPECT_EQ(g_ui->page, COMPUTER_PAGE) << "an arrow steps the engine, the page stays";
    EXPECT_TRUE(click(2.4f, -1.2f)); // level 3
    EXPECT_EQ(g_ui->page, 3);
    EXPECT_EQ(opponentChoice().engine, "stockfish");
    EXPECT_EQ(opponentChoice().level, 3);
    EXPECT_EQ(std::string(opponentLabel()), "Stockfish, level 3");
    const std::string file = settingsFile();
    EXPECT_NE(file.find("engine = stockfish\n"), std::string::npos) << file;
    EXPECT_NE(file.find("level = 3\n"), std::string::npos) << file;

    // By keys: the page opens on the choice in force; Left back to the built-in engine, Down
    // twice and a digit out of range, then Enter.
    menuKey(27);
    toComputerPage();
    menuKey(VK_LEFT);
    menuKey(VK_DOWN);
    menuKey(VK_DOWN);
    menuKey(VK_DOWN);
    menuKey('9');
    menuKey(VK_RETURN);
    EXPECT_EQ(g_ui->page, 3);
    EXPECT_EQ(opponentChoice().engine, "");
    EXPECT_EQ(opponentChoice().level, 1) << "the level stops at 1";
    EXPECT_EQ(std::string(opponentLabel()), "Built-in, level 1");
    gameSettings() = GameSettings{};
    ASSERT_TRUE(loadGameSettings(settingsPath()));
    EXPECT_EQ(gameSettings().engine, "");
    EXPECT_EQ(gameSettings().level, 1);
}

TEST_F(ComputerPage, AnEngineRemovedAfterItWasListedLeavesTheBuiltInOnePlaying) {
    // Toga II, listed after Stockfish (this machine's, in /usr/games) and before the engines it
    // does not have.
    fakeEngine("toga2");
    toComputerPage();
    menuKey(VK_RIGHT);
    menuKey(VK_RIGHT);
    std::filesystem::remove(dir + "/toga2");
    menuKey('2');
    menuKey(VK_RETURN);
    EXPECT_EQ(g_ui->page, 3);
    ASSERT_EQ(opponentChoice().engine, "toga2") << "kept, as a command line's choice is";
    EXPECT_EQ(opponentChoice().level, 2);
    EXPECT_FALSE(externalComputerMove()) << "the built-in engine plays";
    EXPECT_EQ(builtinDepth(), 2);
}

TEST_F(ComputerPage, TheMusicSwitchOutlivesARestart) {
    for (bool expected : {false, true}) {
        boardKey('N');
        EXPECT_EQ(gameSettings().music, expected);
        gameSettings() = GameSettings{};
        gameSettings().music = !expected;
        ASSERT_TRUE(loadGameSettings(settingsPath()));
        EXPECT_EQ(gameSettings().music, expected);
        EXPECT_NE(settingsFile().find(expected ? "music = on\n" : "music = off\n"),
                  std::string::npos);
    }
}

} // namespace
