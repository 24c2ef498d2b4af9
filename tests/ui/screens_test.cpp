// SPDX-License-Identifier: GPL-3.0-or-later
// The load, save and connect screens driven through the key routing with the test clock, in a
// folder of their own: the scrolling list under the selection bar, empty lists, name mode, a
// save that cannot be written (and saves flushed by the file worker, never by the frame), and
// the address check with what is joined.
#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "app/app_state.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/file_jobs.h"
#include "game/game_record.h"
#include "game/player_info.h"
#include "game/settings.h"
#include "platform/win32.h"
#include "tests/ui/ui_world.h"
#include "ui/connect_screen.h"
#include "ui/interface.h"
#include "ui/screens.h"
#include "ui/text_overlay.h"

namespace fs = std::filesystem;

namespace {

constexpr double TURN_AND_FADE_SECONDS = 3.0; // the wall's turn away (2 s), the panel (0.5 s)
constexpr int FULL_STOP_KEY = 190;

std::vector<std::string> g_joins; // "host:port" of every join asked for

const std::thread::id g_frameThread = std::this_thread::get_id();
std::atomic<int> g_frameFlushes{0}, g_workerFlushes{0};

} // namespace

// Flushes to the disk, counted by the thread that asks: the frame's thread must never wait for
// one.
extern "C" int fsync(int fd) {
    using Real = int (*)(int);
    static Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "fsync"));
    ++(std::this_thread::get_id() == g_frameThread ? g_frameFlushes : g_workerFlushes);
    return real ? real(fd) : -1;
}

namespace {

class Screens : public UiWorld {
protected:
    void SetUp() override {
        UiWorld::SetUp();
        installScreens();
        g_joins.clear();
        g_ui->screens.joinGame = [](const char* host, int port) {
            g_joins.push_back(std::string(host) + ":" + std::to_string(port));
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
        finish_file_jobs(); // the unfinished game may still be on its way to the folder
        fs::current_path(home);
        fs::remove_all(dir);
        UiWorld::TearDown();
    }

    // A key as the key handler routes it; text as keys (dots on the full stop key).
    static void press(int code) {
        if (!textKey(code)) menuKey(code);
    }
    static void type(const char* keys) {
        for (const char* k = keys; *k; ++k)
            press(*k == '.' ? FULL_STOP_KEY : *k);
    }
    // Turns the wall to a screen's page, as its entry does, and waits for the panel and the
    // list the file worker makes.
    static void openPage(int page) {
        turnWall(page);
        g_ui->page = page;
        run(TURN_AND_FADE_SECONDS);
        finish_file_jobs();
    }
    // The lines shown, as "first-last" ("" for none).
    static std::string shown() {
        int first = -1, last = -1;
        for (int i = 0; i < int(g_ui->overlay->fileLines.size()); ++i) {
            if (!g_ui->overlay->fileLines[i]->visible) continue;
            if (first < 0) first = i;
            last = i;
        }
        return first < 0 ? "" : std::to_string(first) + "-" + std::to_string(last);
    }
    // Window rows of the selection bar's centre (1.8 in front of the camera, 60-degree field of
    // view) and of the middle of the selected line: the selected game reads on the bar.
    static double barOffSelectedLine() {
        const double h = g_scene->screenHeight;
        const double bar =
            h / 2 - g_ui->selectionBar->prs.pos.y / (1.8 * std::tan(M_PI / 6)) * h / 2;
        const KTexte* t = g_ui->overlay->fileLines[size_t(g_ui->listIndex)];
        return std::abs(bar - (t->y + classicFontSize(g_ui->overlay->screenWidth) / 2.0));
    }
    fs::path home, dir;
};

TEST_F(Screens, FifteenGamesScrollInAWindowOfElevenUnderTheBar) {
    const size_t textsBefore = g_scene->textes.size();
    for (int i = 0; i < 15; ++i)
        std::ofstream("Save/game" + std::to_string(100 + i) + ".chs");
    openPage(2);
    ASSERT_TRUE(g_ui->loadScreenOpen);
    EXPECT_STREQ(g_ui->overlay->fileLines[3]->texte, "game103");
    EXPECT_EQ(shown(), "0-10");
    EXPECT_EQ(g_ui->overlay->fileLines[10]->y, 410);
    EXPECT_LT(barOffSelectedLine(), 3.0);

    struct Step {
        int key, presses, index, first;
        const char* shown;
    } steps[] = {
        {VK_DOWN, 12, 12, 2, "2-12"}, // the bar on the last line shown
        {VK_UP, 10, 2, 2, "2-12"},    // back through the window without scrolling
        {VK_UP, 1, 1, 1, "1-11"},     // then it scrolls
        {VK_DOWN, 20, 14, 4, "4-14"}, // stops at the last game
    };
    for (const Step& s : steps) {
        for (int i = 0; i < s.presses; ++i)
            press(s.key);
        EXPECT_EQ(g_ui->listIndex, s.index);
        EXPECT_EQ(g_ui->listFirst, s.first);
        EXPECT_EQ(shown(), s.shown);
        EXPECT_LT(barOffSelectedLine(), 3.0) << s.index;
    }
    // A larger window: the lines move with it and stay on the bar.
    g_scene->screenWidth = 1024;
    g_scene->screenHeight = 768;
    relayout(1024, 768);
    EXPECT_EQ(g_ui->overlay->fileLines[14]->y, 525); // 1024 x (210 + 200) x 0.00125
    EXPECT_LT(barOffSelectedLine(), 4.0);

    // The first Enter shows the OK mark and holds the list; Escape takes it back, then closes.
    press(VK_RETURN);
    press(VK_UP);
    EXPECT_EQ(g_ui->listIndex, 14);
    EXPECT_FALSE(g_ui->selectionOK->hidden);
    press(VK_ESCAPE);
    EXPECT_TRUE(g_ui->selectionOK->hidden);
    press(VK_ESCAPE);
    EXPECT_FALSE(g_ui->loadScreenOpen);
    EXPECT_EQ(shown(), "");
    run(TURN_AND_FADE_SECONDS);
    EXPECT_TRUE(g_ui->load->hidden && g_ui->selectionBar->hidden);

    // Fewer games on the next visit: the surplus lines leave the scene's drawn texts.
    fs::remove_all("Save");
    fs::create_directories("Save");
    std::ofstream("Save/last.chs");
    openPage(2);
    ASSERT_EQ(g_ui->overlay->fileLines.size(), 1u);
    EXPECT_EQ(g_scene->textes.size(), textsBefore + 1);
}

// A PGN game's details show under the load screen's list once read, cut to the window, and only
// while that game is selected there: not for a saved game, after the screen closes, or on the
// save screen.
TEST_F(Screens, ASelectedPgnGamesDetailsShowUnderTheListWhileItIsSelected) {
    std::ofstream("Save/a.chs");
    const std::string huge(250, 'W');
    std::ofstream("Save/b.pgn") << "[White \"" << huge << "\"][Black \"Duke\"][Result \"1-0\"]\n"
                                << "1. e4 e5 1-0\n\n[White \"Morphy\"][Black \"Duke\"]\n1. d4 *\n";
    auto details = []() -> const KTexte* {
        finish_file_jobs();
        for (const KTexte* t : g_scene->textes)
            if (t->visible && std::strstr(t->texte, "Duke")) return t;
        return nullptr;
    };
    for (int page : {2, 5}) {
        openPage(page);
        for (int line = 0; line < 3; ++line, press(VK_DOWN)) {
            const KTexte* t = details();
            if (page == 5 || line == 0) {
                EXPECT_EQ(t, nullptr) << "page " << page << " line " << line;
                continue;
            }
            ASSERT_NE(t, nullptr) << "line " << line;
            EXPECT_GE(t->x, 0);
            EXPECT_LE(t->x + t->font->TextWidth(t->texte) * t->size, g_ui->overlay->screenWidth);
            if (line == 2) EXPECT_STREQ(t->texte, "Morphy - Duke, 1 move");
        }
        press(VK_ESCAPE);
        EXPECT_EQ(details(), nullptr) << "page " << page << " closed";
        run(TURN_AND_FADE_SECONDS);
    }
}

TEST_F(Screens, AnEmptyListHasNothingToLoadOrSaveOver) {
    for (int page : {2, 5}) {
        openPage(page);
        press(VK_DOWN);
        EXPECT_EQ(g_ui->listIndex, 0) << page;
        press(VK_RETURN);
        press(VK_RETURN);
        EXPECT_TRUE(g_ui->choiceConfirmed && (g_ui->loadScreenOpen || g_ui->saveScreenOpen));
        press(VK_ESCAPE);
        press(VK_ESCAPE);
        run(TURN_AND_FADE_SECONDS);
    }
    EXPECT_TRUE(fs::is_empty("Save"));
    EXPECT_EQ(lastPlayerMessage(), nullptr);
}

TEST_F(Screens, NameModeTakesNineteenCharactersAndSavesUnderTheName) {
    std::ofstream("Save/Old.CHS") << "garbage";
    openPage(5);
    KTexte* name = g_ui->overlay->nameLine;
    press(VK_TAB);
    EXPECT_TRUE(name->visible && g_ui->selectionBar->hidden);
    // Enter on an empty name, or on spaces only, confirms nothing.
    press(VK_RETURN);
    type("  ");
    press(VK_RETURN);
    EXPECT_FALSE(g_ui->choiceConfirmed);
    for (int i = 0; i < 3; ++i)
        press(VK_BACK);
    // Shift gives capitals, the pad digits; the twentieth character is refused.
    g_app->keysDown[VK_SHIFT] = 1;
    press('G');
    g_app->keysDown[VK_SHIFT] = 0;
    type("AME 12345678901234");
    press(VK_NUMPAD0 + 7);
    press(VK_UP); // taken by the line
    EXPECT_EQ(std::string(name->texte, 20), "Game 12345678901234_");
    press(VK_ESCAPE); // back to the list, the name cleared
    EXPECT_TRUE(!name->visible && !g_ui->selectionBar->hidden && g_ui->saveScreenOpen);

    press(VK_TAB);
    type("MY GAME");
    press(VK_RETURN);
    EXPECT_EQ(std::string(name->texte, 8), "my game ");
    press(VK_ESCAPE); // the confirmation taken back, the cursor mark back
    EXPECT_EQ(std::string(name->texte, 8), "my game_");
    g_frameFlushes = g_workerFlushes = 0;
    press(VK_RETURN);
    press(VK_RETURN);
    finish_file_jobs();
    EXPECT_TRUE(fs::exists("Save/my game.chs"));
    EXPECT_EQ(g_frameFlushes, 0);
    EXPECT_GT(g_workerFlushes, 0);
    EXPECT_TRUE(!g_ui->saveScreenOpen && !name->visible && g_ui->selectionOK->hidden);
    EXPECT_EQ(std::string(name->texte, 2), "_ ");
    run(TURN_AND_FADE_SECONDS);

    // List mode saves over the file as the folder spells it.
    openPage(5);
    press(VK_DOWN);
    EXPECT_STREQ(g_ui->overlay->fileLines[g_ui->listIndex]->texte, "Old");
    press(VK_RETURN);
    press(VK_RETURN);
    finish_file_jobs();
    EXPECT_EQ(fs::file_size("Save/Old.CHS"), 0u);
    EXPECT_FALSE(fs::exists("Save/Old.chs"));
    EXPECT_EQ(lastPlayerMessage(), nullptr);
    run(TURN_AND_FADE_SECONDS);

    // A save that cannot be put in place (the name is taken by a folder) says so, once the
    // worker knows; and one that cannot even be written (no folder) at once.
    fs::create_directories("Save/taken.chs");
    openPage(5);
    press(VK_TAB);
    type("TAKEN");
    press(VK_RETURN);
    press(VK_RETURN);
    finish_file_jobs();
    EXPECT_STREQ(lastPlayerMessage(), "Game not saved");
    EXPECT_TRUE(fs::is_directory("Save/taken.chs"));
    run(TURN_AND_FADE_SECONDS);
    forgetPlayerMessage();
    openPage(5);
    fs::remove_all("Save");
    press(VK_RETURN);
    press(VK_RETURN);
    EXPECT_STREQ(lastPlayerMessage(), "Game not saved");
    EXPECT_EQ(g_frameFlushes, 0);
}

TEST_F(Screens, TheAddressIsCheckedThenJoinedAsTheNumbersChecked) {
    netPort() = 4123;
    openPage(4);
    KTexte* line = g_ui->overlay->ipLine;
    ASSERT_TRUE(line->visible);
    // A valid address is joined as the numbers that were checked: the text itself could mean
    // another address to the resolver (octal "010", a single number "192 168 1 10").
    struct Case {
        const char* typed;
        const char* joined; // null: refused
    } cases[] = {{"0", "0"},
                 {"192.168.1.20", "192.168.1.20"},
                 {"255.255.255.255", "255.255.255.255"},
                 {"192.168.1.010", "192.168.1.10"},
                 {"192 168 1 10", "192.168.1.10"},
                 {"1.2.3.4.5", "1.2.3.4"},
                 {"256.1.1.1", nullptr},
                 {"1.2.3", nullptr},
                 {"1..2.3", nullptr},
                 {"1234.1.1.1", nullptr},
                 {"00", nullptr}};
    for (const Case& c : cases) {
        type(c.typed);
        press(VK_RETURN);
        EXPECT_NEAR(g_ui->selectionOK->prs.pos.y, 0.165f, 1e-5);
        g_joins.clear();
        press(VK_RETURN);
        ASSERT_EQ(g_joins.size(), c.joined ? 1u : 0u) << c.typed;
        if (c.joined) EXPECT_EQ(g_joins[0], std::string(c.joined) + ":4123");
        if (c.joined) press(VK_ESCAPE); // takes the confirmation back
        // Unconfirmed: the OK mark hidden in its place, the cursor after the address.
        EXPECT_TRUE(!g_ui->choiceConfirmed && g_ui->selectionOK->hidden) << c.typed;
        EXPECT_NEAR(g_ui->selectionOK->prs.pos.y, 0.481f, 1e-5);
        EXPECT_EQ(line->texte[std::strlen(c.typed)], '_') << c.typed;
        press(VK_ESCAPE); // clears the line
    }
    type("1111111111111111111111"); // 22 typed, 19 kept
    EXPECT_EQ(g_ui->overlay->ipLength, 19);
    press(VK_ESCAPE);

    // Nothing typed joins this machine.
    g_joins.clear();
    press(VK_RETURN);
    press(VK_RETURN);
    ASSERT_EQ(g_joins.size(), 1u);
    EXPECT_EQ(g_joins[0], "localhost:4123");
    press(VK_ESCAPE); // takes the confirmation back
    EXPECT_EQ(line->texte[0], '_');

    // A second Enter while the last attempt's message shows only dismisses it.
    g_ui->screens.joinGame = [](const char* host, int) {
        g_joins.push_back(host);
        showInfo(true, true, "Connection failed");
        return true;
    };
    g_joins.clear();
    type("10.0.0.7");
    press(VK_RETURN);
    press(VK_RETURN);
    run(0.5);
    ASSERT_TRUE(g_ui->overlay->infoText->visible);
    press(VK_RETURN);
    EXPECT_FALSE(g_ui->overlay->infoText->visible || g_ui->choiceConfirmed);
    EXPECT_EQ(g_joins.size(), 1u);

    // Closed while confirmed (the host's game arrived): no OK mark stays over the board.
    press(VK_ESCAPE);
    type("0");
    press(VK_RETURN);
    press(VK_RETURN);
    EXPECT_EQ(g_joins.back(), "0");
    toggleConnectScreen();
    EXPECT_TRUE(!g_ui->connectScreenOpen && !g_ui->choiceConfirmed && g_ui->selectionOK->hidden);
    run(TURN_AND_FADE_SECONDS);
    EXPECT_TRUE(g_ui->client->hidden && !line->visible);

    // An Enter while the panel still fades in has confirmed nothing and joins nothing, even
    // "0"; the address stayed; Escape clears it, a second Escape closes the screen.
    turnWall(4);
    g_ui->page = 4;
    run(2.2);
    ASSERT_TRUE(g_ui->connectScreenOpen && !line->visible);
    g_joins.clear();
    press(VK_RETURN);
    EXPECT_TRUE(g_joins.empty());
    run(1.0);
    EXPECT_EQ(std::string(line->texte, 2), "0_");
    press(VK_ESCAPE);
    press(VK_ESCAPE);
    EXPECT_FALSE(g_ui->connectScreenOpen);
    EXPECT_EQ(g_ui->page, 0);
}

} // namespace
