// SPDX-License-Identifier: GPL-3.0-or-later
// Program path, current folder and the saved-games folder search.

#include "platform/win32.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

TEST(ProgramPath, IsThisExecutableAndIsCutSafely) {
    char buf[1024];
    const DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(std::strlen(buf), n);
    EXPECT_EQ(buf[0], '/');
    EXPECT_EQ(fs::path(buf).filename(), "platform_tests");
    EXPECT_TRUE(fs::equivalent(buf, "/proc/self/exe"));

    char small[8];
    std::memset(small, 'x', sizeof small);
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), sizeof small);
    EXPECT_EQ(small[7], '\0');
    EXPECT_EQ(std::string(small), std::string(buf, 7));
}

class TempFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/chess3d-platform-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        char cwd[4096];
        ASSERT_GT(GetCurrentDirectoryA(sizeof cwd, cwd), 0u);
        saved = cwd;
    }
    void TearDown() override {
        SetCurrentDirectoryA(saved.c_str());
        fs::remove_all(dir);
    }
    void write(const std::string& name, const std::string& text, time_t mtime) {
        FILE* f = std::fopen((dir + "/" + name).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        timeval tv[2] = {{mtime, 0}, {mtime, 0}};
        utimes((dir + "/" + name).c_str(), tv);
    }
    std::string dir, saved;
};

TEST_F(TempFolder, CurrentFolderTakesBackslashesAndReportsSizes) {
    fs::create_directory(dir + "/Save");
    ASSERT_TRUE(SetCurrentDirectoryA(dir.c_str()));
    ASSERT_TRUE(SetCurrentDirectoryA(".\\Save"));
    char cwd[4096];
    const DWORD n = GetCurrentDirectoryA(sizeof cwd, cwd);
    EXPECT_EQ(std::string(cwd), fs::canonical(dir + "/Save").string());
    EXPECT_EQ(n, std::strlen(cwd));
    // Too small: the size needed, terminator included, and nothing written.
    char tiny[4] = {'q', 'q', 'q', 'q'};
    EXPECT_EQ(GetCurrentDirectoryA(sizeof tiny, tiny), n + 1);
    EXPECT_EQ(tiny[0], 'q');
    EXPECT_FALSE(SetCurrentDirectoryA((dir + "/missing").c_str()));
}

TEST_F(TempFolder, SearchListsMatchingFilesInNameOrderWithTimeAndSize) {
    fs::create_directory(dir + "/Save");
    write("Save/opening.chs", "4351044\n", 1800000000);
    write("Save/ENDGAME.CHS", "1\n2\n3\n", 1800000100);
    write("Save/notes.txt", "x", 1800000000);
    write("Save/empty.chs", "", 1800000200);
    fs::create_directory(dir + "/Save/folder.chs"); // not a file: never offered for loading
    ASSERT_TRUE(SetCurrentDirectoryA(dir.c_str()));

    _finddata_t f;
    const intptr_t h = _findfirst("./Save/*.chs", &f);
    ASSERT_NE(h, -1);
    std::string names;
    long sizes = 0;
    time_t endgameTime = 0;
    do {
        names += std::string(f.name) + ";";
        sizes += f.size;
        if (std::string(f.name) == "ENDGAME.CHS") endgameTime = f.time_write;
    } while (_findnext(h, &f) == 0);
    EXPECT_EQ(_findclose(h), 0);
    EXPECT_EQ(names, "empty.chs;ENDGAME.CHS;opening.chs;");
    EXPECT_EQ(sizes, 8 + 6 + 0);
    EXPECT_EQ(endgameTime, 1800000100);
    // The listing prints the 24-character ctime() text of that time.
    EXPECT_EQ(std::strlen(ctime(&endgameTime)), 25u);
}

TEST_F(TempFolder, SearchWithNoMatchOrNoFolderGivesMinusOne) {
    fs::create_directory(dir + "/Save");
    write("Save/readme.txt", "x", 1800000000);
    ASSERT_TRUE(SetCurrentDirectoryA(dir.c_str()));
    _finddata_t f;
    EXPECT_EQ(_findfirst("./Save/*.chs", &f), -1);
    EXPECT_EQ(_findfirst("./NoSuchFolder/*.chs", &f), -1);
    const intptr_t h = _findfirst(".\\Save\\*.txt", &f); // the game's own path style
    ASSERT_NE(h, -1);
    EXPECT_STREQ(f.name, "readme.txt");
    EXPECT_EQ(_findclose(h), 0);
    EXPECT_EQ(_findclose(-1), -1);
}

} // namespace
