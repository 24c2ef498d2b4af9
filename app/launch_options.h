// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line: start straight into a network game, as host or joining side, on a port of
// the player's choice, or into a game from a file against the computer; choose the computer's
// engine and level for this run (over the settings file's). Without options the game starts
// with its intro and menu.
//
//   chess3d [--host white|black | --join ADDRESS] [--port N] [--port-mapping]
//           [--engine COMMAND] [--level N] [--frame-log FILE] [--help] [--version]
//   chess3d FILE.pgn [GAME] | FILE.chs

#include <string>

#include "game/settings.h" // DEFAULT_NET_PORT

struct LaunchOptions {
    int hostColour = -1;         // --host: 0 White, 1 Black; -1 when not hosting
    std::string joinAddress;     // --join: the host's address or name; empty when not joining
    int port = DEFAULT_NET_PORT; // --port (or the port of --join ADDRESS:N): TCP port of both
    bool portMapping = false;    // --port-mapping: hosting asks the router to forward the port
    std::string openFile;        // a PGN file or ".chs" saved game to open; empty for none
    int openGame = 1;            // which game of a PGN file, from 1
    bool engineGiven = false;    // --engine: the computer's engine for this run
    std::string engine;          // its command ("builtin" or empty: the built-in engine)
    int level = 0;               // --level: 1 to 6; 0 when not given
    std::string frameLog;        // --frame-log: a line per frame drawn goes there (absolute)
};

enum class LaunchRequest {
    Run,     // start the game with the options read
    Help,    // print the usage and end with 0
    Version, // print the version and end with 0
    Bad,     // print the error and end with 2
};

// Reads the arguments after the program name. On Bad, `error` says what is wrong in one line.
LaunchRequest parseLaunchOptions(int argc, const char* const* argv, LaunchOptions& options,
                                 std::string& error);

// The usage text printed by --help (and after an error's line).
const char* launchUsage();

// Splits a port off a --join address: "[2001:db8::5]:4001", "192.0.2.7:4001" and
// "name:4001" give the address and 4001; a bare IPv6 address ("2001:db8::5") keeps all of
// its colons. False for a port that is no number from 1 to 65535.
bool splitJoinPort(std::string& address, int& port);

// Makes options.openFile an absolute path (the program then makes its own folder the current
// one); left as given when the file does not exist (its load then says so).
void resolveOpenFile(LaunchOptions& options);

// A program named with a '/' in --engine is made absolute, so that it is still found once the
// game has made its own folder the current one (a path in double quotes stays in them). Called
// before that change.
void anchorEnginePath(LaunchOptions& options);

// After start-up: the port for both roles and port mapping, then, with --host or --join, the
// intro is skipped, the menu left and the game goes straight to hosting with the chosen colour
// or to joining (a name is looked up beside the frame loop). With a file, the intro is skipped
// and its game loaded against the computer, the player taking the side to move; a game the
// board cannot show leaves the menu up with the reason on the info line.
void startFromOptions(const LaunchOptions& options);
