// The process entry: the program's own folder becomes the current folder (every data path is
// relative to it), then the engine is started, the game runs, and the engine is released.

#include <cstring>

#include "app/game_main.h"
#include "engine/KivEngine.h"

int main() {
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
    const int status = gameMain();
    KivFreeDLL();
    return status;
}
