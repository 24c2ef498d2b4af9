// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file beside the saved games, and the choice of that folder.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "game/save_folder.h"
#include "game/settings.h"

namespace fs = std::filesystem;

namespace {

// A folder of the test's own, removed with it.
struct TempFolder {
    std::string path;
    explicit TempFolder(std::string pattern = "/tmp/chess3d-settings-XXXXXX") {
        path = mkdtemp(pattern.data()) ? pattern : "";
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

std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
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

TEST(Settings, SavedGamesInThePlayersDataFolder) {
    TempFolder dir;
    ASSERT_FALSE(dir.path.empty());
    // $XDG_DATA_HOME first, else ~/.local/share; made with its parents.
    const std::string xdg = dir.path + "/xdg";
    EXPECT_EQ(pick_save_folder(xdg.c_str(), "/nowhere"), xdg + "/chess3d/Save/");
    EXPECT_TRUE(fs::is_directory(xdg + "/chess3d/Save"));
    const std::string home = dir.path + "/home";
    EXPECT_EQ(pick_save_folder("relative/xdg", home.c_str()), home + "/.local/share/chess3d/Save/");
    EXPECT_TRUE(fs::is_directory(home + "/.local/share/chess3d/Save"));
    // Nowhere to go.
    EXPECT_EQ(pick_save_folder(nullptr, nullptr), "");
    EXPECT_EQ(pick_save_folder("/proc/xdg", nullptr), "");
    // The chosen folder is where the settings file goes.
    set_save_folder(xdg + "/chess3d/Save");
    EXPECT_EQ(settingsPath(), xdg + "/chess3d/Save/settings.ini");
    set_save_folder("./Save/");
}

// An old build's saved games move to the data folder: nothing lost, nothing overwritten, a name
// taken keeps both (a saved game and its PGN copy renamed together), once. Between folders of one
// file system (a second name for each file) and of two (a copy, when /dev/shm is another).
TEST(Settings, OldSavedGamesMoveOnceAndOverwriteNothing) {
    TempFolder dir, shm("/dev/shm/chess3d-settings-XXXXXX");
    ASSERT_FALSE(dir.path.empty());
    for (const std::string& root : {dir.path, shm.path}) {
        if (root.empty()) continue;
        SCOPED_TRACE(root);
        const std::string from = root + "/bin/Save/";
        const std::string to = dir.path + (root == dir.path ? "/own/" : "/own-copied/");
        fs::create_directories(from + "folder");
        fs::create_directories(to);
        const std::map<std::string, std::string> old = {{"mine.chs", "1\n"},
                                                        {"mine.pgn", "1. e4"},
                                                        {"other.chs", "2\n"},
                                                        {"settings.ini", "level = 3\n"},
                                                        {"mine 2.chs", "3\n"}};
        for (const auto& [name, text] : old)
            write(from + name, text);
        fs::last_write_time(from + "other.chs", fs::file_time_type{});
        write(to + "mine.pgn", "kept");
        write(to + "settings.ini", "level = 5\n");
        const OldSavesMove done = move_old_saves(from, to);
        EXPECT_EQ(done.moved, 5);
        EXPECT_EQ(done.left, 0);
        const std::map<std::string, std::string> renamed = {{"mine.chs", "mine 3.chs"},
                                                            {"mine.pgn", "mine 3.pgn"},
                                                            {"settings.ini", "settings 2.ini"}};
        for (const auto& [name, text] : old) {
            const auto it = renamed.find(name);
            EXPECT_EQ(read(to + (it == renamed.end() ? name : it->second)), text) << name;
            EXPECT_FALSE(fs::exists(from + name)) << name;
        }
        EXPECT_EQ(done.renamed.size(), renamed.size());
        EXPECT_EQ(read(to + "mine.pgn"), "kept");
        EXPECT_EQ(read(to + "settings.ini"), "level = 5\n");
        EXPECT_EQ(fs::last_write_time(to + "other.chs"), fs::file_time_type{});
        // The folder stays for what is not a file; a second start moves nothing.
        EXPECT_TRUE(fs::is_directory(from + "folder"));
        EXPECT_EQ(move_old_saves(from, to).moved + move_old_saves(to, to).moved, 0);
        fs::remove(from + "folder");
        write(from + "new.chs", "4\n");
        EXPECT_EQ(move_old_saves(from, to).moved, 1);
        EXPECT_TRUE(fs::is_empty(from));
    }
}
