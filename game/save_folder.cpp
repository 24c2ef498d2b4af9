#include "game/save_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "game/saved_games.h"

namespace {

constexpr mode_t FOLDER_MODE = 0755;

std::string g_folder = "./Save/";
std::string g_pattern = "./Save/*.chs";

bool isFolder(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Makes the folder and its parents; true when it exists afterwards.
bool makeFolders(const std::string& path) {
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/') continue;
        const std::string part = path.substr(0, i);
        if (mkdir(part.c_str(), FOLDER_MODE) != 0 && errno != EEXIST) return false;
    }
    return isFolder(path);
}

// The folder exists and files can be made in it.
bool writableFolder(const std::string& path) {
    return isFolder(path) && access(path.c_str(), W_OK | X_OK) == 0;
}

std::string withSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

} // namespace

const char* save_folder() {
    return g_folder.c_str();
}

const char* save_pattern() {
    return g_pattern.c_str();
}

void set_save_folder(const std::string& folder) {
    g_folder = withSlash(folder);
    g_pattern = g_folder + "*.chs";
}

std::string pick_save_folder(const std::string& program_folder, const char* xdg_data_home,
                             const char* home) {
    // 1. Beside the program.
    const std::string beside = withSlash(program_folder) + "Save";
    if (writableFolder(beside)) return beside + "/";
    if (!isFolder(beside) && mkdir(beside.c_str(), FOLDER_MODE) == 0) return beside + "/";
    // 2. The player's own data folder.
    const std::string own = player_data_folder(xdg_data_home, home);
    if (own.empty()) return std::string();
    const std::string saves = own + "Save";
    if (makeFolders(saves) && writableFolder(saves)) return saves + "/";
    return std::string();
}

std::string player_data_folder(const char* xdg_data_home, const char* home) {
    std::string dataHome;
    if (xdg_data_home && xdg_data_home[0] == '/')
        dataHome = xdg_data_home;
    else if (home && home[0] == '/')
        dataHome = std::string(home) + "/.local/share";
    else
        return std::string();
    const std::string own = withSlash(dataHome) + "chess3d";
    if (makeFolders(own) && writableFolder(own)) return own + "/";
    return std::string();
}

const char* choose_save_folder() {
    const std::string folder =
        pick_save_folder(".", std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    if (!folder.empty()) set_save_folder(folder);
    return save_folder();
}
