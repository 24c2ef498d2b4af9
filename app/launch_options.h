#pragma once
// The command line: start straight into a network game, as host or joining side, on a port of
// the player's choice. Without options the game starts with its intro and menu.
//
//   chess3d [--host white|black | --join ADDRESS] [--port N] [--help]

#include <string>

constexpr int DEFAULT_NET_PORT = 4000;

struct LaunchOptions {
    int hostColour = -1;         // --host: 0 White, 1 Black; -1 when not hosting
    std::string joinAddress;     // --join: the host's address or name; empty when not joining
    int port = DEFAULT_NET_PORT; // --port: TCP port of both roles
    std::string resolvedAddress; // joinAddress as a dotted address, found before the game runs
};

enum class LaunchRequest {
    Run,  // start the game with the options read
    Help, // print the usage and end with 0
    Bad,  // print the error and end with 2
};

// Reads the arguments after the program name. On Bad, `error` says what is wrong in one line.
LaunchRequest parseLaunchOptions(int argc, const char* const* argv, LaunchOptions& options,
                                 std::string& error);

// The usage text printed by --help (and after an error's line).
const char* launchUsage();

// Turns options.joinAddress into options.resolvedAddress: a dotted address or "localhost" as it
// is, a name through the resolver (which may wait; called before the game runs, never from the
// frame loop). False when the name is not found (resolvedAddress stays empty).
bool resolveJoinAddress(LaunchOptions& options);

// After start-up: the port for both roles, then, with --host or --join, the intro is skipped,
// the menu left and the game goes straight to hosting with the chosen colour or to joining.
void startFromOptions(const LaunchOptions& options);
