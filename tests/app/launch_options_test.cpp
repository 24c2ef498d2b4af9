// SPDX-License-Identifier: GPL-3.0-or-later
// The command line, case by case: what starts a game straight into hosting or joining, and
// what is refused with a message (the program then ends with code 2).

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "app/launch_options.h"

namespace {

struct Case {
    std::vector<const char*> args; // after the program's name
    LaunchRequest request;
    int hostColour;          // for Run
    const char* joinAddress; // for Run
    int port;                // for Run
    const char* error;       // for Bad: the start of the message
};

} // namespace

TEST(LaunchOptions, WhatIsReadAndWhatIsRefused) {
    const Case cases[] = {
        {{}, LaunchRequest::Run, -1, "", 4000, ""},
        {{"--host", "white"}, LaunchRequest::Run, 0, "", 4000, ""},
        {{"--host=black", "--port", "4100"}, LaunchRequest::Run, 1, "", 4100, ""},
        {{"--port=65535", "--join", "192.168.1.20"},
         LaunchRequest::Run,
         -1,
         "192.168.1.20",
         65535,
         ""},
        {{"--join=chess.example.org"}, LaunchRequest::Run, -1, "chess.example.org", 4000, ""},
        {{"--join", "2001:db8::5"}, LaunchRequest::Run, -1, "2001:db8::5", 4000, ""},
        {{"--join", "[2001:db8::5]:4001"}, LaunchRequest::Run, -1, "2001:db8::5", 4001, ""},
        {{"--join", "192.0.2.7:4002", "--port-mapping"},
         LaunchRequest::Run,
         -1,
         "192.0.2.7",
         4002,
         ""},
        {{"--join", "[2001:db8::5]:0"},
         LaunchRequest::Bad,
         0,
         "",
         0,
         "--join [2001:db8::5]:0: the"},
        {{"--help"}, LaunchRequest::Help, -1, "", 4000, ""},
        {{"--port", "4100", "-h"}, LaunchRequest::Help, -1, "", 4000, ""},
        {{"--host", "white", "--version"}, LaunchRequest::Version, -1, "", 4000, ""},
        {{"--host"}, LaunchRequest::Bad, 0, "", 0, "--host needs the colour"},
        {{"--host", "red"}, LaunchRequest::Bad, 0, "", 0, "--host needs the colour"},
        {{"--host", "White"}, LaunchRequest::Bad, 0, "", 0, "--host needs the colour"},
        {{"--join"}, LaunchRequest::Bad, 0, "", 0, "--join needs the address"},
        {{"--join", "--port", "4000"}, LaunchRequest::Bad, 0, "", 0, "--join needs the address"},
        {{"--port", "0"}, LaunchRequest::Bad, 0, "", 0, "--port needs a port number"},
        {{"--port", "65536"}, LaunchRequest::Bad, 0, "", 0, "--port needs a port number"},
        {{"--port", "40a"}, LaunchRequest::Bad, 0, "", 0, "--port needs a port number"},
        {{"--port"}, LaunchRequest::Bad, 0, "", 0, "--port needs a port number"},
        {{"--engine", "stockfish", "--level", "2"}, LaunchRequest::Run, -1, "", 4000, ""},
        {{"--engine=gnuchess --uci", "--level=6"}, LaunchRequest::Run, -1, "", 4000, ""},
        {{"--engine"}, LaunchRequest::Bad, 0, "", 0, "--engine needs a program"},
        {{"--engine", "--level", "2"}, LaunchRequest::Bad, 0, "", 0, "--engine needs a program"},
        {{"--level", "0"}, LaunchRequest::Bad, 0, "", 0, "--level needs a level from 1 to 6"},
        {{"--level", "7"}, LaunchRequest::Bad, 0, "", 0, "--level needs a level from 1 to 6"},
        {{"--level", "12"}, LaunchRequest::Bad, 0, "", 0, "--level needs a level from 1 to 6"},
        {{"--colour", "white"}, LaunchRequest::Bad, 0, "", 0, "unknown option '--colour'"},
        {{"localhost"}, LaunchRequest::Bad, 0, "", 0, "unknown option 'localhost'"},
        {{"--host", "white", "--join", "1.2.3.4"},
         LaunchRequest::Bad,
         0,
         "",
         0,
         "--host and --join cannot be used together"},
        {{"a.chs", "2"}, LaunchRequest::Bad, 0, "", 0, "a game number follows only a .pgn file"},
        {{"x.pgn", "2", "3"}, LaunchRequest::Bad, 0, "", 0, "unexpected argument '3'"},
        {{"x.pgn", "--host", "white"}, LaunchRequest::Bad, 0, "", 0, "a game file opens a game"},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv = {"chess3d"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        std::string line;
        for (const char* a : c.args)
            line += std::string(" ") + a;
        LaunchOptions options;
        std::string error;
        const LaunchRequest r = parseLaunchOptions(int(argv.size()), argv.data(), options, error);
        ASSERT_EQ(int(r), int(c.request)) << "chess3d" << line << ": " << error;
        if (r == LaunchRequest::Bad) {
            EXPECT_EQ(error.rfind(c.error, 0), 0u) << "chess3d" << line << ": " << error;
        } else if (r == LaunchRequest::Run) {
            EXPECT_EQ(options.hostColour, c.hostColour) << line;
            EXPECT_EQ(options.joinAddress, c.joinAddress) << line;
            EXPECT_EQ(options.port, c.port) << line;
        }
    }
    // A game file, and the number of a PGN game after it.
    const char* argv[] = {"chess3d", "Games.PGN", "3"};
    LaunchOptions options;
    std::string error;
    ASSERT_EQ(int(parseLaunchOptions(3, argv, options, error)), int(LaunchRequest::Run)) << error;
    EXPECT_EQ(options.openFile, "Games.PGN");
    EXPECT_EQ(options.openGame, 3);
}

TEST(LaunchOptions, TheEngineAndLevelForThisRun) {
    const char* argv[] = {"chess3d", "--engine", "engines/fish --threads 1", "--level=5"};
    LaunchOptions options;
    std::string error;
    ASSERT_EQ(int(parseLaunchOptions(4, argv, options, error)), int(LaunchRequest::Run)) << error;
    EXPECT_TRUE(options.engineGiven);
    EXPECT_EQ(options.level, 5);
    // A program named by a relative path is still found once the game has changed folder; a
    // bare name is left for the search in PATH.
    anchorEnginePath(options);
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    EXPECT_EQ(options.engine, std::string(here) + "/engines/fish --threads 1");
    options.engine = "stockfish";
    anchorEnginePath(options);
    EXPECT_EQ(options.engine, "stockfish");
    // A path with blanks, in double quotes, keeps them.
    options.engine = "\"my engines/fish\" --uci";
    anchorEnginePath(options);
    EXPECT_EQ(options.engine, "\"" + std::string(here) + "/my engines/fish\" --uci");
}
