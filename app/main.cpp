// SPDX-License-Identifier: GPL-3.0-or-later
// The process entry: the program's own folder becomes the current folder (every data path is
// relative to it), then the engine is started, the game runs, and the engine is released.
// The options (launch_options.h) are read first: --help, --version and a bad option end here.
//
// A game built with a data folder of its own (CHESS3D_DATA_FOLDER, as the Debian package is:
// programs in /usr/games, data in /usr/share/games/chess3d) reads its data there instead, and
// makes the player's own folder ($XDG_DATA_HOME/chess3d/) the current one: saved games,
// settings.ini and the logs go there, never into the installed files.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "app/game_main.h"
#include "app/launch_options.h"
#include "engine/KivEngine.h"
#include "game/save_folder.h"

namespace {

constexpr const char* VERSION = CHESS3D_VERSION;         // the package's version
constexpr const char* DATA_FOLDER = CHESS3D_DATA_FOLDER; // "" beside the program

// The program's own folder ("" when unknown), without its last '/' unless it is the root.
std::string programFolder() {
    char path[1024];
    if (GetModuleFileNameA(nullptr, path, sizeof path) == 0) return std::string();
    char* cut = std::strrchr(path, '/');
    char* back = std::strrchr(path, '\\');
    if (back && (!cut || back > cut)) cut = back;
    if (!cut) return std::string();
    cut[cut == path ? 1 : 0] = '\0'; // a program in "/" keeps the root
    return path;
}

// The folders of a build that reads its data beside the program: that folder is the current one.
void useProgramFolder(const std::string& folder) {
    if (!folder.empty()) SetCurrentDirectoryA(folder.c_str());
}

// The folders of an installed game: data from DATA_FOLDER, everything written in the player's
// folder. Without one (neither HOME nor XDG_DATA_HOME usable) the folder the game was started in
// stays the current one, and saving may fail there with the game's own message.
void useInstalledFolders() {
    KSetDataFolder(DATA_FOLDER);
    const std::string own = player_data_folder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    if (own.empty() || !SetCurrentDirectoryA(own.c_str())) {
        std::fprintf(stderr, "chess3d: no folder of your own to save in (HOME is not set)\n");
        return;
    }
    KSetLogFolder(own.c_str());
}

// True when the game's data lies beside the program: the build tree, or a private install. A game
// built with a data folder but started where it was built then plays from there, as any build
// does, instead of reading the data folder that only the installed package fills.
bool dataBesideProgram(const std::string& folder) {
    return !folder.empty() && access((folder + "/M3D/Decor.m3d").c_str(), R_OK) == 0;
}

} // namespace

int main(int argc, char** argv) {
    LaunchOptions options;
    std::string error;
    switch (parseLaunchOptions(argc, argv, options, error)) {
    case LaunchRequest::Help:
        std::fputs(launchUsage(), stdout);
        return 0;
    case LaunchRequest::Version:
        std::printf("chess3d %s\n", VERSION);
        return 0;
    case LaunchRequest::Bad:
        std::fprintf(stderr, "chess3d: %s\nTry 'chess3d --help' for the options.\n",
                     error.c_str());
        return 2;
    case LaunchRequest::Run:
        break;
    }
    // A file named relative to where the program was started, before the folder changes.
    resolveOpenFile(options);
    anchorEnginePath(options);

    const std::string folder = programFolder();
    if (DATA_FOLDER[0] != '\0' && !dataBesideProgram(folder))
        useInstalledFolders();
    else
        useProgramFolder(folder);
    KivInitDLL();
    const int status = gameMain(options);
    KivFreeDLL();
    return status;
}
