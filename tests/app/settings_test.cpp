// The settings file beside the saved games, and the choice of that folder.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/settings.h"
#include "game/save_folder.h"

namespace fs = std::filesystem;

namespace {

// A folder of the test's own, removed with it.
struct TempFolder {
    std::string path;
    TempFolder() {
        char name[] = "/tmp/chess3d-settings-XXXXXX";
        path = mkdtemp(name) ? name : "";
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

std::string write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

struct Case {
    const char* text;
    bool hints, last, list;
};

} // namespace

TEST(Settings, TextReadOverTheDefaults) {
    const Case cases[] = {
        {"", true, true, false},
        {"move_hints = off\nlast_move_marks = off\nmove_list = on\n", false, false, true},
        {"  MOVE_HINTS=Off \r\n", false, true, false},                   // case, blanks, CR LF
        {"move_list = yes\nmove_hints = 0\n", false, true, true},        // other spellings
        {"move_hints = maybe\nmove_list\n= on\n", true, true, false},    // bad lines skipped
        {"# move_hints = off\ncolour = blue\n", true, true, false},      // comment, unknown name
        {"move_hints = off\nmove_hints = on\n", true, true, false},      // the last one counts
        {"\x89PNG\r\n\x1a\n\x7f\rIHDR\xff\xfe=\x01", true, true, false}, // not a text
    };
    for (const Case& c : cases) {
        const GameSettings s = parseSettings(c.text);
        EXPECT_EQ(s.moveHints, c.hints) << c.text;
        EXPECT_EQ(s.lastMoveMarks, c.last) << c.text;
        EXPECT_EQ(s.moveList, c.list) << c.text;
    }
}

TEST(Settings, TheComputersEngineLevelAndTheSounds) {
    struct EngineCase {
        const char* text;
        const char* engine;
        int level;
        bool sounds;
    };
    const EngineCase cases[] = {
        {"", "", 4, true},
        {"engine = stockfish\nlevel = 2\nsounds = off\n", "stockfish", 2, false},
        {"ENGINE =  /usr/games/gnuchess --uci \r\n", "/usr/games/gnuchess --uci", 4, true},
        {"engine = stockfish\nengine = Built-in\n", "", 4, true},     // the last line counts
        {"level = 7\nlevel = 0\nlevel = 3x\nlevel =\n", "", 4, true}, // out of range: skipped
        {"level = 6\nsounds = loud\n", "", 6, true},
    };
    for (const EngineCase& c : cases) {
        const GameSettings s = parseSettings(c.text);
        EXPECT_EQ(s.engine, c.engine) << c.text;
        EXPECT_EQ(s.level, c.level) << c.text;
        EXPECT_EQ(s.sounds, c.sounds) << c.text;
        // Written and read back unchanged.
        const GameSettings again = parseSettings(settingsText(s));
        EXPECT_EQ(again.engine, s.engine) << c.text;
        EXPECT_EQ(again.level, s.level) << c.text;
        EXPECT_EQ(again.sounds, s.sounds) << c.text;
    }
}

TEST(Settings, FileRoundTripAndMissingOrDamagedFilesGiveTheDefaults) {
    TempFolder dir;
    ASSERT_FALSE(dir.path.empty());
    const std::string path = dir.path + "/settings.ini";
    // Every combination written and read back.
    for (int bits = 0; bits < 8; ++bits) {
        gameSettings() = GameSettings{};
        gameSettings().moveHints = bits & 1;
        gameSettings().lastMoveMarks = bits & 2;
        gameSettings().moveList = bits & 4;
        ASSERT_TRUE(saveGameSettings(path));
        gameSettings() = GameSettings{};
        ASSERT_TRUE(loadGameSettings(path));
        EXPECT_EQ(gameSettings().moveHints, bool(bits & 1)) << bits;
        EXPECT_EQ(gameSettings().lastMoveMarks, bool(bits & 2)) << bits;
        EXPECT_EQ(gameSettings().moveList, bool(bits & 4)) << bits;
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), {}), 1) << "a temporary left";
    }
    // Missing, a folder in its place, binary junk, a pipe (which must not stop the start-up):
    // the defaults, whatever was set before.
    const std::string junk(4096, '\xff');
    const std::string pipe = dir.path + "/pipe.ini";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    alarm(20); // a read that waits on the pipe ends the test here instead of hanging it
    for (const std::string& bad :
         {dir.path + "/missing.ini", dir.path, write(dir.path + "/junk.ini", junk), pipe}) {
        gameSettings().moveHints = gameSettings().lastMoveMarks = false;
        gameSettings().moveList = true;
        loadGameSettings(bad);
        EXPECT_TRUE(gameSettings().moveHints) << bad;
        EXPECT_TRUE(gameSettings().lastMoveMarks) << bad;
        EXPECT_FALSE(gameSettings().moveList) << bad;
    }
    alarm(0);
    // A file the game cannot write: false, nothing left behind.
    EXPECT_FALSE(saveGameSettings(dir.path + "/no/such/folder/settings.ini"));
}

TEST(Settings, SavedGamesBesideTheProgramElseInThePlayersDataFolder) {
    TempFolder dir;
    ASSERT_FALSE(dir.path.empty());
    const std::string program = dir.path + "/program";
    fs::create_directories(program);
    // A folder the game may write: "Save" made beside the program.
    EXPECT_EQ(pick_save_folder(program, nullptr, nullptr), program + "/Save/");
    EXPECT_TRUE(fs::is_directory(program + "/Save"));
    // A program folder where nothing can be made, even by the superuser: the data folder,
    // $XDG_DATA_HOME first, else ~/.local/share; made with its parents.
    const std::string xdg = dir.path + "/xdg";
    EXPECT_EQ(pick_save_folder("/proc", xdg.c_str(), "/nowhere"), xdg + "/chess3d/Save/");
    EXPECT_TRUE(fs::is_directory(xdg + "/chess3d/Save"));
    const std::string home = dir.path + "/home";
    EXPECT_EQ(pick_save_folder("/proc", "relative/xdg", home.c_str()),
              home + "/.local/share/chess3d/Save/");
    EXPECT_TRUE(fs::is_directory(home + "/.local/share/chess3d/Save"));
    // Nowhere to go.
    EXPECT_EQ(pick_save_folder("/proc", nullptr, nullptr), "");
    // The chosen folder is where the settings file goes.
    set_save_folder(xdg + "/chess3d/Save");
    EXPECT_EQ(settingsPath(), xdg + "/chess3d/Save/settings.ini");
    set_save_folder("./Save/");
}
