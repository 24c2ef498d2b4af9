// The load, save and connect screens driven through the menu's key routing with the test clock,
// in a folder of their own: the list and its scrolling window against the selection bar, the
// two-step confirmation, name mode, what a save that cannot be written or a choice on an empty
// list do, the address check and what is joined, and the chat's hold on the keys.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/app_state.h"
#include "app/globals.h"
#include "board/player_info.h"
#include "engine/KivEngine.h"
#include "game/game_record.h"
#include "platform/win32.h"
#include "tests/ui/ui_world.h"
#include "ui/connect_screen.h"
#include "ui/file_list.h"
#include "ui/interface.h"
#include "ui/screens.h"
#include "ui/text_overlay.h"

namespace fs = std::filesystem;

namespace {

constexpr double TURN_AND_FADE_SECONDS = 3.0; // the wall's turn away (2 s), the panel (0.5 s)

class Screens : public UiWorld {
protected:
    void SetUp() override {
        UiWorld::SetUp();
        g_record = new GameRecord();
        installScreens();
        joins.clear();
        g_ui->screens.joinGame = [](const char* host, int port) {
            joins.push_back(std::string(host) + ":" + std::to_string(port));
            return true;
        };
        home = fs::current_path();
        dir = fs::temp_directory_path() / ("chess3d-screens-" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "Save");
        fs::current_path(dir);
        forgetPlayerMessage();
        openMenu();
    }
    void TearDown() override {
        fs::current_path(home);
        fs::remove_all(dir);
        delete g_record;
        g_record = nullptr;
        UiWorld::TearDown();
    }

    // A key as the key handler routes it: the text lines first, then the menu.
    static void press(int code) {
        if (!textKey(code)) menuKey(code);
    }
    // Letters (small), digits, spaces and dots (the full stop key) as their keys.
    static void type(const char* keys) {
        constexpr int FULL_STOP_KEY = 190;
        for (const char* k = keys; *k; ++k)
            press(*k == '.' ? FULL_STOP_KEY : *k);
    }
    // Takes a page's entry as a click would, and waits for the screen to open and fade in.
    static void openPage(int page) {
        turnWall(page);
        g_ui->page = page;
        run(TURN_AND_FADE_SECONDS);
    }
    static void write(const std::string& name, const std::string& text) {
        std::ofstream("Save/" + name, std::ios::binary) << text;
    }
    static std::string contents(const std::string& name) {
        std::ifstream in("Save/" + name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static std::vector<int> shownLines() {
        std::vector<int> shown;
        for (size_t i = 0; i < g_ui->overlay->fileLines.size(); ++i)
            if (g_ui->overlay->fileLines[i]->visible) shown.push_back(int(i));
        return shown;
    }
    static std::vector<int> range(int first, int last) {
        std::vector<int> r;
        for (int i = first; i <= last; ++i)
            r.push_back(i);
        return r;
    }
    // The window row of the selection bar's centre (under the camera, 1.8 in front of it,
    // 60-degree vertical field of view) and of the middle of the selected line's characters:
    // the player reads the selected game on the bar at every window size.
    static double barCentreY() {
        const double h = g_scene->screenHeight;
        const double y = g_ui->selectionBar->prs.pos.y;
        return h / 2 - y / (1.8 * std::tan(30 * M_PI / 180)) * h / 2;
    }
    static double selectedLineCentreY() {
        const KTexte* t = g_ui->overlay->fileLines[size_t(g_ui->listIndex)];
        return t->y + classicFontSize(g_ui->overlay->screenWidth) / 2.0;
    }

    fs::path home, dir;
    static std::vector<std::string> joins; // host:port of every join asked for
};

std::vector<std::string> Screens::joins;

TEST_F(Screens, FifteenGamesScrollInAWindowOfElevenUnderTheBar) {
    for (int i = 0; i < 15; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "game%02d.chs", i);
        write(name, "");
    }
    openPage(2);
    ASSERT_TRUE(g_ui->loadScreenOpen);
    ASSERT_EQ(g_ui->overlay->fileLines.size(), 15u);
    EXPECT_STREQ(g_ui->overlay->fileLines[3]->texte, "game03");
    EXPECT_FALSE(g_ui->load->hidden);
    EXPECT_FALSE(g_ui->selectionBar->hidden);
    EXPECT_EQ(shownLines(), range(0, 10));
    EXPECT_EQ(g_ui->overlay->fileLines[0]->x, 260);
    EXPECT_EQ(g_ui->overlay->fileLines[10]->y, 410);
    EXPECT_NEAR(barCentreY(), selectedLineCentreY(), 3.0);

    for (int i = 0; i < 12; ++i)
        press(VK_DOWN);
    EXPECT_EQ(g_ui->listIndex, 12);
    EXPECT_EQ(g_ui->listFirst, 2);
    EXPECT_EQ(shownLines(), range(2, 12));
    EXPECT_EQ(g_ui->overlay->fileLines[2]->y, 210);
    EXPECT_NEAR(g_ui->selectionBar->prs.pos.y, 0.2837f - 10 * 0.0695f, 1e-5);
    EXPECT_NEAR(barCentreY(), selectedLineCentreY(), 3.0);

    // Up walks the bar back through the window, then scrolls.
    for (int i = 0; i < 10; ++i)
        press(VK_UP);
    EXPECT_EQ(g_ui->listIndex, 2);
    EXPECT_EQ(g_ui->listFirst, 2);
    EXPECT_EQ(shownLines(), range(2, 12));
    EXPECT_NEAR(g_ui->selectionBar->prs.pos.y, 0.2837f, 1e-5);
    press(VK_UP);
    EXPECT_EQ(g_ui->listIndex, 1);
    EXPECT_EQ(g_ui->listFirst, 1);
    EXPECT_EQ(shownLines(), range(1, 11));

    // A larger window: the lines move with it and stay on the bar.
    for (int i = 0; i < 20; ++i)
        press(VK_DOWN);
    EXPECT_EQ(g_ui->listIndex, 14);
    EXPECT_EQ(g_ui->listFirst, 4);
    g_scene->screenWidth = 1024;
    g_scene->screenHeight = 768;
    relayout(1024, 768);
    EXPECT_EQ(g_ui->overlay->fileLines[14]->y, 525); // 1024 x (210 + 200) x 0.00125, rounded
    EXPECT_NEAR(barCentreY(), selectedLineCentreY(), 4.0);

    // The first Enter shows the OK mark and freezes the list; Escape takes it back, then
    // closes the screen.
    press(VK_RETURN);
    EXPECT_FALSE(g_ui->selectionOK->hidden);
    press(VK_UP);
    EXPECT_EQ(g_ui->listIndex, 14);
    press(VK_ESCAPE);
    EXPECT_TRUE(g_ui->selectionOK->hidden);
    EXPECT_TRUE(g_ui->loadScreenOpen);
    press(VK_ESCAPE);
    EXPECT_FALSE(g_ui->loadScreenOpen);
    EXPECT_EQ(g_ui->page, 0);
    EXPECT_TRUE(shownLines().empty());
    run(0.6);
    EXPECT_TRUE(g_ui->load->hidden);
    EXPECT_TRUE(g_ui->selectionBar->hidden);

    // Fewer games on the next visit: the surplus lines leave the scene.
    fs::remove_all("Save");
    fs::create_directories("Save");
    write("last.chs", "");
    openPage(2);
    EXPECT_EQ(g_ui->overlay->fileLines.size(), 1u);
    int drawn = 0;
    for (KTexte* t : g_scene->textes)
        drawn += t == g_ui->overlay->fileLines[0];
    EXPECT_EQ(drawn, 1);
}

TEST_F(Screens, AnEmptyListHasNothingToChooseOrConfirm) {
    for (int page : {2, 5}) {
        openPage(page);
        press(VK_DOWN);
        press(VK_UP);
        press(VK_DOWN);
        EXPECT_EQ(g_ui->listIndex, 0) << page;
        press(VK_RETURN);
        press(VK_RETURN); // nothing to load or save over
        EXPECT_TRUE(g_ui->choiceConfirmed) << page;
        EXPECT_TRUE(g_ui->loadScreenOpen || g_ui->saveScreenOpen) << page;
        EXPECT_EQ(lastPlayerMessage(), nullptr);
        press(VK_ESCAPE);
        press(VK_ESCAPE);
        EXPECT_FALSE(g_ui->loadScreenOpen || g_ui->saveScreenOpen) << page;
        run(TURN_AND_FADE_SECONDS);
    }
    EXPECT_TRUE(fs::is_empty("Save"));
}

TEST_F(Screens, NameModeTypesUpToNineteenCharactersAndSavesUnderTheName) {
    write("Old.CHS", "garbage");
    openPage(5);
    ASSERT_TRUE(g_ui->saveScreenOpen);
    KTexte* name = g_ui->overlay->nameLine;
    int& length = g_ui->overlay->nameLength;

    press(VK_TAB);
    EXPECT_TRUE(name->visible);
    EXPECT_TRUE(g_ui->selectionBar->hidden);
    // Enter on an empty name, or on spaces only, confirms nothing.
    press(VK_RETURN);
    EXPECT_FALSE(g_ui->choiceConfirmed);
    press(VK_SPACE);
    press(VK_SPACE);
    press(VK_RETURN);
    EXPECT_FALSE(g_ui->choiceConfirmed);
    press(VK_BACK);
    press(VK_BACK);
    press(VK_BACK);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(name->texte[0], '_');

    // Shift gives capitals; the pad types digits; the twentieth character is refused; keys
    // that type nothing are taken (the menu never sees them).
    g_app->keysDown[VK_SHIFT] = 1;
    press('G');
    g_app->keysDown[VK_SHIFT] = 0;
    type("AME 12345678901234");
    press(VK_NUMPAD0 + 7);
    press(VK_UP);
    EXPECT_EQ(length, 19);
    EXPECT_EQ(std::string(name->texte, 20), "Game 12345678901234_");
    EXPECT_TRUE(g_ui->saveScreenOpen);

    // Escape goes back to the list, and clears the name.
    press(VK_ESCAPE);
    EXPECT_FALSE(name->visible);
    EXPECT_FALSE(g_ui->selectionBar->hidden);
    EXPECT_EQ(length, 0);
    EXPECT_TRUE(g_ui->saveScreenOpen);

    // A name confirmed, taken back, confirmed again and saved.
    press(VK_TAB);
    type("MY GAME");
    press(VK_RETURN);
    EXPECT_TRUE(g_ui->choiceConfirmed);
    EXPECT_FALSE(g_ui->selectionOK->hidden);
    EXPECT_EQ(std::string(name->texte, 8), "my game ");
    press('X'); // confirmed: the name line declines, the screen ignores it
    press(VK_ESCAPE);
    EXPECT_FALSE(g_ui->choiceConfirmed);
    EXPECT_EQ(std::string(name->texte, 8), "my game_");
    press(VK_RETURN);
    press(VK_RETURN);
    EXPECT_TRUE(fs::exists("Save/my game.chs"));
    EXPECT_EQ(lastPlayerMessage(), nullptr);
    EXPECT_FALSE(g_ui->saveScreenOpen);
    EXPECT_FALSE(name->visible);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(name->texte[0], '_');
    EXPECT_TRUE(g_ui->selectionOK->hidden);
    run(TURN_AND_FADE_SECONDS);

    // List mode saves over the file as the folder spells it ("Old.CHS", not "Old.chs").
    openPage(5);
    ASSERT_EQ(g_ui->overlay->fileLines.size(), 2u);
    press(VK_DOWN);
    EXPECT_STREQ(g_ui->overlay->fileLines[g_ui->listIndex]->texte, "Old");
    press(VK_RETURN);
    press(VK_RETURN);
    EXPECT_EQ(contents("Old.CHS"), "");
    EXPECT_FALSE(fs::exists("Save/Old.chs"));
    run(TURN_AND_FADE_SECONDS);

    // A save that cannot be written says so (here the name is taken by a folder).
    fs::create_directories("Save/taken.chs");
    openPage(5);
    press(VK_TAB);
    type("TAKEN");
    press(VK_RETURN);
    press(VK_RETURN);
    EXPECT_STREQ(lastPlayerMessage(), "Game not saved");
    EXPECT_FALSE(g_ui->saveScreenOpen);
}

TEST_F(Screens, TheAddressIsCheckedBeforeJoiningAndPassedAsTyped) {
    constexpr int FULL_STOP = 190, PAD_POINT = 110;
    g_app->netPort = 4123;
    openPage(4);
    ASSERT_TRUE(g_ui->connectScreenOpen);
    KTexte* line = g_ui->overlay->ipLine;
    ASSERT_TRUE(line->visible);
    const std::string logPath = KLogPath();
    auto logSize = [&] { return fs::exists(logPath) ? fs::file_size(logPath) : 0; };

    struct Case {
        const char* typed;
        bool valid;
    } cases[] = {
        {"0", true},         {"192.168.1.20", true}, {"255.255.255.255", true},
        {"1.2.3.4.5", true}, {"256.1.1.1", false},   {"1.2.3", false},
        {"1..2.3", false},   {"1234.1.1.1", false},  {"00", false},
        {"1.2.3.", false},   {"1 2 3 4", true},
    };
    for (const Case& c : cases) {
        for (const char* k = c.typed; *k; ++k)
            press(*k == '.' ? (k == c.typed + 1 ? PAD_POINT : FULL_STOP) : *k);
        ASSERT_EQ(g_ui->overlay->ipLength, int(std::strlen(c.typed))) << c.typed;
        press(VK_RETURN);
        ASSERT_TRUE(g_ui->choiceConfirmed) << c.typed;
        EXPECT_FALSE(g_ui->selectionOK->hidden);
        EXPECT_NEAR(g_ui->selectionOK->prs.pos.y, 0.165f, 1e-5);
        joins.clear();
        const auto logBefore = logSize();
        press(VK_RETURN);
        if (c.valid) {
            EXPECT_EQ(joins, std::vector<std::string>{std::string(c.typed) + ":4123"}) << c.typed;
            EXPECT_TRUE(g_ui->choiceConfirmed) << c.typed;
            press(VK_ESCAPE); // takes the confirmation back
        } else {
            EXPECT_TRUE(joins.empty()) << c.typed;
            EXPECT_GT(logSize(), logBefore) << "ERROR : wrong IP !! for " << c.typed;
        }
        // Unconfirmed: the OK mark back in its place, the cursor after the address.
        EXPECT_FALSE(g_ui->choiceConfirmed) << c.typed;
        EXPECT_TRUE(g_ui->selectionOK->hidden);
        EXPECT_NEAR(g_ui->selectionOK->prs.pos.y, 0.481f, 1e-5);
        EXPECT_EQ(line->texte[std::strlen(c.typed)], '_') << c.typed;
        press(VK_ESCAPE); // clears the line
        EXPECT_EQ(g_ui->overlay->ipLength, 0);
        EXPECT_TRUE(g_ui->connectScreenOpen);
    }

    // Nineteen characters at most; Enter on an empty line confirms nothing.
    press(VK_RETURN);
    EXPECT_FALSE(g_ui->choiceConfirmed);
    for (int i = 0; i < 25; ++i)
        press('1');
    EXPECT_EQ(g_ui->overlay->ipLength, 19);
    press(VK_ESCAPE);

    // A second Enter while the message of the last attempt shows only dismisses it.
    g_ui->screens.joinGame = [](const char* host, int port) {
        joins.push_back(std::string(host) + ":" + std::to_string(port));
        showInfo(true, true, "Connection failed");
        return true;
    };
    joins.clear();
    type("10.0.0.7");
    press(VK_RETURN);
    press(VK_RETURN);
    run(0.5);
    ASSERT_TRUE(g_ui->overlay->infoText->visible);
    ASSERT_EQ(joins.size(), 1u);
    press(VK_RETURN); // the address line declines it while confirmed
    EXPECT_FALSE(g_ui->overlay->infoText->visible);
    EXPECT_FALSE(g_ui->choiceConfirmed);
    EXPECT_EQ(joins.size(), 1u);

    // Closed while confirmed (the host's game arrived): no OK mark is left over the board.
    press(VK_RETURN);
    press(VK_RETURN);
    ASSERT_TRUE(g_ui->choiceConfirmed);
    toggleConnectScreen();
    EXPECT_FALSE(g_ui->connectScreenOpen);
    EXPECT_FALSE(g_ui->choiceConfirmed);
    EXPECT_TRUE(g_ui->selectionOK->hidden);
    EXPECT_EQ(g_ui->page, 0);
    run(TURN_AND_FADE_SECONDS);
    EXPECT_TRUE(g_ui->client->hidden);
    EXPECT_FALSE(line->visible);

    // The address stays for the next visit; Escape clears it, a second Escape closes.
    openPage(4);
    EXPECT_EQ(std::string(line->texte, 9), "10.0.0.7_");
    press(VK_ESCAPE);
    EXPECT_TRUE(g_ui->connectScreenOpen);
    press(VK_ESCAPE);
    EXPECT_FALSE(g_ui->connectScreenOpen);
    EXPECT_EQ(g_ui->page, 0);
    run(TURN_AND_FADE_SECONDS);

    // An Enter while the panel still fades in (the line not shown yet) has confirmed nothing and
    // joins nothing, even with an address that would pass.
    openPage(4);
    type("0");
    toggleConnectScreen();
    run(TURN_AND_FADE_SECONDS);
    turnWall(4);
    g_ui->page = 4;
    run(2.2);
    ASSERT_TRUE(g_ui->connectScreenOpen);
    ASSERT_FALSE(line->visible);
    joins.clear();
    press(VK_RETURN);
    EXPECT_TRUE(joins.empty());
}

TEST_F(Screens, TheOpenChatTakesTheKeysOfTheLoadScreenButNotOfTheSaveScreen) {
    for (int i = 0; i < 3; ++i)
        write("g" + std::to_string(i) + ".chs", "");
    press(VK_TAB); // the chat opens
    openPage(2);
    press(VK_DOWN);
    EXPECT_EQ(g_ui->listIndex, 0);
    press(VK_TAB); // closed: the list moves again
    press(VK_DOWN);
    EXPECT_EQ(g_ui->listIndex, 1);
    press(VK_TAB);
    press(VK_ESCAPE); // clears the chat's line, the screen stays
    EXPECT_TRUE(g_ui->loadScreenOpen);
    press(VK_TAB);
    press(VK_ESCAPE);
    run(TURN_AND_FADE_SECONDS);

    press(VK_TAB); // the chat opens again
    openPage(5);
    press(VK_DOWN);
    EXPECT_EQ(g_ui->listIndex, 1);
    press(VK_TAB); // name mode, not the chat
    EXPECT_TRUE(g_ui->overlay->nameLine->visible);
    EXPECT_TRUE(g_ui->overlay->chatLines[0]->visible);
}

} // namespace
