#include "app/launch_options.h"

#include <cstdlib>
#include <cstring>

#include "anim/anim_manager.h"
#include "app/app_state.h"
#include "app/globals.h"
#include "app/input.h"
#include "app/settings.h"
#include "engine/KivEngine.h"
#include "netplay/connection.h"
#include "netplay/host_addresses.h"
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
           "  --host white|black  skip the intro and the menu and host a network game,\n"
           "                      playing that colour\n"
           "  --join ADDRESS      skip the intro and the menu and join the game hosted at\n"
           "                      ADDRESS: an IPv4 address (192.168.1.20), an IPv6 address\n"
           "                      (2001:db8::5) or a name, with :N for another port\n"
           "                      ([2001:db8::5]:4001, 192.168.1.20:4001)\n"
           "  --port N            TCP port for hosting and joining (default 4000)\n"
           "  --port-mapping      when hosting, ask the router to forward the port\n"
           "                      (NAT-PMP, then UPnP)\n"
           "  --help              show this text\n"
           "Without options the game starts with its intro and menu.\n";
}

LaunchRequest parseLaunchOptions(int argc, const char* const* argv, LaunchOptions& options,
                                 std::string& error) {
    options = LaunchOptions();
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0)
            return LaunchRequest::Help;
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

void startFromOptions(const LaunchOptions& options) {
    g_app->netPort = options.port;
    setPortMappingWanted(options.portMapping || gameSettings().portMapping);
    const bool hosting = options.hostColour >= 0;
    const bool joining = !options.joinAddress.empty();
    if (!hosting && !joining) return;
    // As if the player had skipped the intro and started the game from the menu's colour page.
    IntroSkip();
    showMenuAfterIntro();
    startNewGame(hosting ? options.hostColour : 0);
    if (hosting) HostGame();
    g_app->gameStarted = 1;
    setMenuOpen(false);
    if (joining) JoinGame(options.joinAddress.c_str(), options.port);
}
