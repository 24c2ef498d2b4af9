// SPDX-License-Identifier: GPL-3.0-or-later
// The engines listed for the player, from a made-up PATH of engine-named files.

#include "platform/installed_engines.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <stdlib.h>

namespace fs = std::filesystem;

namespace {

void makeFile(const fs::path& path, bool executable) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "#!/bin/sh\nexit 1\n"; // never run: a run would fail the listing
    fs::permissions(path, executable ? fs::perms::owner_all : fs::perms::owner_read);
}

TEST(InstalledEngines, ListsExecutableKnownEnginesOnceInTableOrder) {
    char tmpl[] = "/tmp/chess3d-engines-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const fs::path root = tmpl, first = root / "first", second = root / "second";
    makeFile(first / "gnuchess", true);
    makeFile(first / "toga2", false);         // not executable here...
    makeFile(second / "toga2", true);         // ...but in a later folder
    fs::create_directory(first / "glaurung"); // a folder, not a program
    makeFile(second / "stockfish", true);
    makeFile(first / "stockfish", true);                      // found first: listed once
    fs::create_symlink(first / "stockfish", first / "fruit"); // the same program again
    makeFile(root / "relative" / "ethereal-chess", true);     // only through a relative entry

    const fs::path cwd = fs::current_path();
    fs::current_path(root);
    const std::string folders =
        first.string() + "::relative:" + (root / "gone").string() + ":" + second.string();
    const std::vector<InstalledEngine> engines = FindInstalledEngines(folders);
    fs::current_path(cwd);

    std::vector<std::string> listed;
    for (const InstalledEngine& e : engines)
        listed.push_back(e.name + "=" + e.command);
    EXPECT_EQ(listed, (std::vector<std::string>{"Built-in=builtin", "Stockfish=stockfish",
                                                "Toga II=toga2", "GNU Chess=gnuchess --uci"}));
    fs::remove_all(root);
}

TEST(InstalledEngines, DisplayNamesOfCommandsAsSettingsHoldThem) {
    // Plain "gnuchess" is not in its UCI mode: not the known engine.
    const std::pair<const char*, const char*> cases[] = {
        {"gnuchess --uci", "GNU Chess"},
        {"  gnuchess \t --uci ", "GNU Chess"},
        {"/usr/games/stockfish", "Stockfish"},
        {"\"/usr/games/toga2\"", "Toga II"},
        {"gnuchess", "gnuchess"},
        {"\"/opt/my engines/sf-16\" --uci", "sf-16"},
        {"Built-In", "Built-in"},
        {"", "Built-in"}};
    for (const auto& [command, name] : cases)
        EXPECT_EQ(EngineDisplayName(command), name) << command;
    EXPECT_EQ(EngineNameSlot("BUILTIN"), 0);
    EXPECT_EQ(EngineNameSlot("/usr/games/gnuchess --uci"), 7);
    EXPECT_EQ(EngineNameSlot("\"/opt/my engines/sf-16\""), 8);
    // The engine set by hand stays choosable; one found is not listed twice.
    const std::vector<InstalledEngine> found{{"Built-in", "builtin"}, {"Stockfish", "stockfish"}};
    EXPECT_EQ(EngineChoices(found, " \"stockfish\" ").size(), 2u);
    EXPECT_EQ(EngineChoices(found, "").size(), 2u);
    EXPECT_EQ(EngineChoices(found, "/usr/games/stockfish").back().command, "/usr/games/stockfish");
}

} // namespace
