// The process entry: the program's own folder becomes the current folder (every data path is
// relative to it), then the engine is started, the game runs, and the engine is released.
// The options (launch_options.h) are read first: --help and a bad option end here.

#include <cstdio>
#include <cstring>
#include <string>

#include "app/game_main.h"
#include "app/launch_options.h"
#include "engine/KivEngine.h"

int main(int argc, char** argv) {
    LaunchOptions options;
    std::string error;
    switch (parseLaunchOptions(argc, argv, options, error)) {
    case LaunchRequest::Help:
        std::fputs(launchUsage(), stdout);
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

    char path[1024];
    if (GetModuleFileNameA(nullptr, path, sizeof path) > 0) {
        char* cut = std::strrchr(path, '/');
        char* back = std::strrchr(path, '\\');
        if (back && (!cut || back > cut)) cut = back;
        if (cut) {
            cut[cut == path ? 1 : 0] = '\0'; // a program in "/" keeps the root
            SetCurrentDirectoryA(path);
        }
    }
    KivInitDLL();
    const int status = gameMain(options);
    KivFreeDLL();
    return status;
}
