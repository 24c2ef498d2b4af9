// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/launch_options.h"
#include "board/intro.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "anim/anim_manager.h"
#include "app/input.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/child_process.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/pgn_import.h"
#include "game/settings.h"
#include "netplay/connection.h"
#include "netplay/host_addresses.h"
#include "ui/load_screen.h"
#include "ui/text_overlay.h"

namespace {

// "--name value" or "--name=value": the value, advancing i past it; null when missing.
const char* optionValue(int argc, const char* const* argv, int& i, const char* name) {
    const char* arg = argv[i];
    const size_t n = std::strlen(name);
    if (arg[n] == '=') return arg + n + 1;
    if (i + 1 >= argc) return nullptr;
    return argv[++i];
}

bool matches(const char* arg, const char* name) {
    const size_t n = std::strlen(name);
    return std::strncmp(arg, name, n) == 0 && (arg[n] == '\0' || arg[n] == '=');
}

bool endsWith(const std::string& text, const char* end) {
    const size_t n = std::strlen(end);
    if (text.size() < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - n + i])) != end[i])
            return false;
    return true;
}

// A file to open, or the number of the PGN game after it. False with `error` set otherwise.
bool takeFileArgument(const char* arg, LaunchOptions& options, bool& gameGiven,
                      std::string& error) {
    if (options.openFile.empty()) {
        options.openFile = arg;
        return true;
    }
    char* end = nullptr;
    const long game = std::strtol(arg, &end, 10);
    if (gameGiven || *end != '\0' || end == arg || game < 1 || game > 1000000) {
        error = std::string("unexpected argument '") + arg + "'";
        return false;
    }
    if (!endsWith(options.openFile, ".pgn")) {
        error = "a game number follows only a .pgn file";
        return false;
    }
    options.openGame = int(game);
    gameGiven = true;
    return true;
}

// The game of a file named on the command line (see startFromOptions).
void openGameFile(const LaunchOptions& options) {
    const std::string ref = endsWith(options.openFile, ".pgn")
                                ? pgn_game_ref(options.openFile, options.openGame)
                                : options.openFile;
    IntroSkip();
    showMenuAfterIntro();
    // The reason stays on the info line: the first frames, slow while everything starts, would
    // take a timed message away before it could be read.
    const std::string why = savedGameProblem(ref.c_str());
    if (!why.empty()) {
        showInfo(true, false, why.c_str());
        return;
    }
    startNewGame(0);
    if (!g_game->record.LoadGame(ref.c_str())) return;
    const int moves = g_game->record.moves.count;
    g_board->reset(moves > 0 ? 1 - rm_colour(g_game->record.moves[moves - 1]) : 0);
    g_game->gameStarted = 1;
    g_game->record.RestoreBoard();
    setMenuOpen(false);
}

bool parsePort(const char* text, int& port) {
    if (!text || !*text) return false;
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < 1 || value > 65535) return false;
    port = int(value);
    return true;
}

} // namespace

const char* launchUsage() {
    return "Usage: chess3d [--host white|black | --join ADDRESS] [--port N] [--port-mapping]\n"
           "               [--engine COMMAND] [--level N] [--frame-log FILE]\n"
           "  --host white|black  skip the intro and the menu and host a network game,\n"
           "                      playing that colour\n"
           "  --join ADDRESS      skip the intro and the menu and join the game hosted at\n"
           "                      ADDRESS: an IPv4 address (192.168.1.20), an IPv6 address\n"
           "                      (2001:db8::5) or a name, with :N for another port\n"
           "                      ([2001:db8::5]:4001, 192.168.1.20:4001)\n"
           "  --port N            TCP port for hosting and joining (default 4000)\n"
           "  --port-mapping      when hosting, ask the router to forward the port\n"
           "                      (NAT-PMP, then UPnP)\n"
           "  --engine COMMAND    the computer's engine: builtin (the default), or a chess\n"
           "                      engine that speaks UCI, such as stockfish or\n"
           "                      \"gnuchess --uci\" (quote a command with arguments;\n"
           "                      a path with blanks goes in double quotes inside it:\n"
           "                      '\"/opt/my engines/sf\" --uci')\n"
           "  --level N           the computer's strength, 1 (weakest) to 6 (default 4)\n"
           "  --frame-log FILE    write a line for every frame drawn: the time and why\n"
           "                      (input, change, ambient), to measure the frame rate\n"
           "  --help              show this text\n"
           "  --version           show the version\n"
           "  FILE.pgn [GAME]     skip the intro and open a game of a PGN file (the first,\n"
           "                      or number GAME) against the computer, taking the side\n"
           "                      to move; FILE.chs opens a saved game the same way\n"
           "Without options the game starts with its intro and menu.\n";
}

LaunchRequest parseLaunchOptions(int argc, const char* const* argv, LaunchOptions& options,
                                 std::string& error) {
    options = LaunchOptions();
    bool gameGiven = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0)
            return LaunchRequest::Help;
        if (std::strcmp(arg, "--version") == 0) return LaunchRequest::Version;
        if (matches(arg, "--host")) {
            const char* v = optionValue(argc, argv, i, "--host");
            if (!v || (std::strcmp(v, "white") != 0 && std::strcmp(v, "black") != 0)) {
                error = "--host needs the colour to play: white or black";
                return LaunchRequest::Bad;
            }
            options.hostColour = std::strcmp(v, "white") == 0 ? 0 : 1;
        } else if (matches(arg, "--join")) {
            const char* v = optionValue(argc, argv, i, "--join");
            if (!v || !*v || *v == '-') {
                error = "--join needs the address of the host";
                return LaunchRequest::Bad;
            }
            options.joinAddress = v;
        } else if (std::strcmp(arg, "--port-mapping") == 0) {
            options.portMapping = true;
        } else if (matches(arg, "--port")) {
            const char* v = optionValue(argc, argv, i, "--port");
            if (!parsePort(v, options.port)) {
                error = std::string("--port needs a port number from 1 to 65535, not '") +
                        (v ? v : "") + "'";
                return LaunchRequest::Bad;
            }
        } else if (endsWith(arg, ".pgn") || endsWith(arg, ".chs") ||
                   (!options.openFile.empty() && arg[0] >= '0' && arg[0] <= '9')) {
            if (!takeFileArgument(arg, options, gameGiven, error)) return LaunchRequest::Bad;
        } else if (matches(arg, "--engine")) {
            const char* v = optionValue(argc, argv, i, "--engine");
            if (!v || !*v || *v == '-') {
                error = "--engine needs a program: builtin, or a UCI engine such as stockfish";
                return LaunchRequest::Bad;
            }
            options.engineGiven = true;
            options.engine = v;
        } else if (matches(arg, "--frame-log")) {
            const char* v = optionValue(argc, argv, i, "--frame-log");
            if (!v || !*v) {
                error = "--frame-log needs a file name";
                return LaunchRequest::Bad;
            }
            options.frameLog = v;
            char here[4096];
            // The game makes its own folder the current one: the name is kept absolute.
            if (v[0] != '/' && getcwd(here, sizeof here))
                options.frameLog = std::string(here) + "/" + v;
        } else if (matches(arg, "--level")) {
            const char* v = optionValue(argc, argv, i, "--level");
            if (!v || v[0] < '1' || v[0] > '6' || v[1] != '\0') {
                error =
                    std::string("--level needs a level from 1 to 6, not '") + (v ? v : "") + "'";
                return LaunchRequest::Bad;
            }
            options.level = v[0] - '0';
        } else {
            error = std::string("unknown option '") + arg + "'";
            return LaunchRequest::Bad;
        }
    }
    if (options.hostColour >= 0 && !options.joinAddress.empty()) {
        error = "--host and --join cannot be used together";
        return LaunchRequest::Bad;
    }
    const std::string given = options.joinAddress;
    if (!given.empty() && !splitJoinPort(options.joinAddress, options.port)) {
        error = "--join " + given + ": the port after ':' must be from 1 to 65535";
        return LaunchRequest::Bad;
    }
    if (!options.openFile.empty() && (options.hostColour >= 0 || !options.joinAddress.empty())) {
        error = "a game file opens a game against the computer, not with --host or --join";
        return LaunchRequest::Bad;
    }
    return LaunchRequest::Run;
}

bool splitJoinPort(std::string& address, int& port) {
    const size_t colon = address.rfind(':');
    if (colon == std::string::npos) return true;
    if (address[0] == '[') {
        const size_t close = address.find(']');
        if (close == std::string::npos) return true; // left to the connection to refuse
        if (close + 1 == address.size()) {
            address = address.substr(1, close - 1);
            return true;
        }
        if (address[close + 1] != ':') return true;
        const std::string number = address.substr(close + 2);
        address = address.substr(1, close - 1);
        return parsePort(number.c_str(), port);
    }
    // Two colons or more without brackets: an IPv6 address, which has no port.
    if (address.find(':') != colon) return true;
    const std::string number = address.substr(colon + 1);
    address = address.substr(0, colon);
    return parsePort(number.c_str(), port);
}

void resolveOpenFile(LaunchOptions& options) {
    if (options.openFile.empty()) return;
    char* full = realpath(options.openFile.c_str(), nullptr);
    if (!full) return;
    options.openFile = full;
    std::free(full);
}

void anchorEnginePath(LaunchOptions& options) {
    std::vector<std::string> words = commandWords(options.engine);
    if (words.empty() || words[0][0] == '/') return;
    if (words[0].find('/') == std::string::npos) return; // looked up in PATH
    char here[4096];
    if (!getcwd(here, sizeof here)) return;
    words[0] = std::string(here) + "/" + words[0];
    // The command written again, each word quoted where it needs it.
    std::string command;
    for (const std::string& w : words)
        command += (command.empty() ? "" : " ") + quotedWord(w);
    options.engine = command;
}

void startFromOptions(const LaunchOptions& options) {
    netPort() = options.port;
    setPortMappingWanted(options.portMapping || gameSettings().portMapping);
    if (!options.openFile.empty()) {
        openGameFile(options);
        return;
    }
    const bool hosting = options.hostColour >= 0;
    const bool joining = !options.joinAddress.empty();
    if (!hosting && !joining) return;
    // As if the player had skipped the intro and started the game from the menu's colour page.
    IntroSkip();
    showMenuAfterIntro();
    startNewGame(hosting ? options.hostColour : 0);
    if (hosting) HostGame();
    g_game->gameStarted = 1;
    setMenuOpen(false);
    if (joining) JoinGame(options.joinAddress.c_str(), options.port);
}
