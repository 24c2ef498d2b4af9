// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/save_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "game/file_io.h"
#include "game/saved_games.h"

namespace {

constexpr mode_t FOLDER_MODE = 0755;
constexpr int RENAME_TRIES = 1000;     // "mine 2" to "mine 1000": past that the files stay
constexpr size_t INFO_LINE_CHARS = 34; // what the info line's panel holds in an 800 px window

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

// The folder exists and files can be made (and removed) in it.
bool writableFolder(const std::string& path) {
    return isFolder(path) && access(path.c_str(), W_OK | X_OK) == 0;
}

std::string withSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

bool sameFolder(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Anything under that name, a dangling link included.
bool nameTaken(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

// "mine.chs" splits into "mine" and ".chs"; a name without an extension (or a hidden one,
// ".x") keeps it whole.
std::pair<std::string, std::string> splitName(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return {name, std::string()};
    return {name.substr(0, dot), name.substr(dot)};
}

enum class Placed { Done, Taken, Failed };

// A copy of the regular file `src` made new at `dst` (never over anything there), with its
// mode and modification time, flushed to the disk. On failure nothing is left at `dst`.
Placed copyNew(const std::string& src, const std::string& dst) {
    const int in = open(src.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (in < 0 || fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (in >= 0) close(in);
        return Placed::Failed;
    }
    const int out =
        open(dst.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, st.st_mode & 0666);
    if (out < 0) {
        const Placed why = errno == EEXIST ? Placed::Taken : Placed::Failed;
        close(in);
        return why;
    }
    bool ok = true;
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t n = read(in, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        if (!write_all(out, chunk, size_t(n))) {
            ok = false;
            break;
        }
    }
    const timespec times[2] = {st.st_atim, st.st_mtim};
    ok = ok && futimens(out, times) == 0 && fsync(out) == 0;
    ok = close(out) == 0 && ok;
    close(in);
    if (!ok) unlink(dst.c_str());
    return ok ? Placed::Done : Placed::Failed;
}

// `src` also at `dst`, never over anything there: a second name for the same file when both
// folders are on one file system that allows it, else a copy.
Placed placeFile(const std::string& src, const std::string& dst) {
    if (link(src.c_str(), dst.c_str()) == 0) return Placed::Done;
    if (errno == EEXIST) return Placed::Taken;
    return copyNew(src, dst);
}

void syncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)fsync(fd);
    close(fd);
}

// The regular files of `folder` grouped by their name before the extension.
std::map<std::string, std::vector<std::string>> filesByStem(const std::string& folder) {
    std::map<std::string, std::vector<std::string>> groups;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return groups;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        struct stat st {};
        if (lstat((folder + name).c_str(), &st) == 0 && S_ISREG(st.st_mode))
            groups[splitName(name).first].push_back(name);
    }
    closedir(dir);
    return groups;
}

// The first stem among "stem", "stem 2", "stem 3"... under which none of `names` is taken in
// `to`, nor, for a new stem, in `from` (another old file keeps that name); empty when none is
// free.
std::string freeStem(const std::string& stem, const std::vector<std::string>& names,
                     const std::string& from, const std::string& to) {
    for (int n = 1; n <= RENAME_TRIES; ++n) {
        const std::string candidate = n == 1 ? stem : stem + " " + std::to_string(n);
        const bool taken = std::any_of(names.begin(), names.end(), [&](const std::string& name) {
            const std::string newName = candidate + splitName(name).second;
            return nameTaken(to + newName) || (n > 1 && nameTaken(from + newName));
        });
        if (!taken) return candidate;
    }
    return std::string();
}

// The folder's path as the player knows it: "~/..." under their home.
std::string shownPath(std::string path, const char* home) {
    if (path.size() > 1 && path.back() == '/') path.pop_back();
    if (!home || home[0] != '/') return path;
    std::string homeSlash = withSlash(home);
    if (path.compare(0, homeSlash.size(), homeSlash) == 0)
        return "~/" + path.substr(homeSlash.size());
    return path;
}

// The current folder, absolute, ending in '/'.
std::string currentFolder() {
    char path[4096];
    if (!getcwd(path, sizeof path)) return "./";
    return withSlash(path);
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

std::string pick_save_folder(const char* xdg_data_home, const char* home) {
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

OldSavesMove move_old_saves(const std::string& from_folder, const std::string& to_folder) {
    OldSavesMove result;
    const std::string from = withSlash(from_folder), to = withSlash(to_folder);
    if (!writableFolder(from) || !isFolder(to) || sameFolder(from, to)) return result;
    // 1. Every file is placed in the new folder first, under a name nothing else has there.
    struct Placement {
        std::string from, to, change; // paths; "a -> b" when renamed
    };
    std::vector<Placement> placed;
    for (const auto& [stem, names] : filesByStem(from)) {
        const std::string newStem = freeStem(stem, names, from, to);
        for (const std::string& name : names) {
            const std::string newName =
                newStem.empty() ? std::string() : newStem + splitName(name).second;
            if (newName.empty() || placeFile(from + name, to + newName) != Placed::Done) {
                ++result.left;
                continue;
            }
            placed.push_back({from + name, to + newName,
                              newName == name ? std::string() : name + " -> " + newName});
        }
    }
    // 2. Once the new names are on the disk, the old ones go. A file whose old name cannot be
    // removed loses its new one instead: it is never in both folders.
    syncFolder(to);
    for (const Placement& p : placed) {
        if (unlink(p.from.c_str()) == 0) {
            ++result.moved;
            if (!p.change.empty()) result.renamed.push_back(p.change);
        } else {
            unlink(p.to.c_str());
            ++result.left;
        }
    }
    // The emptied folder stays: the build's tests save in it.
    syncFolder(from);
    return result;
}

std::string choose_save_folder() {
    const char* home = std::getenv("HOME");
    const std::string folder = pick_save_folder(std::getenv("XDG_DATA_HOME"), home);
    if (folder.empty()) {
        // No folder of the player's own: beside the program, as builds used to keep them.
        mkdir("./Save", FOLDER_MODE);
        set_save_folder("./Save/");
        return std::string();
    }
    set_save_folder(folder);
    const char* leave = std::getenv("CHESS3D_LEAVE_OLD_SAVES");
    if (leave && *leave) return std::string();
    const std::string old = currentFolder() + "Save/";
    const OldSavesMove done = move_old_saves(old, folder);
    if (done.moved > 0)
        std::printf("chess3d: saved games and settings moved from %s to %s (%d file%s)\n",
                    old.c_str(), folder.c_str(), done.moved, done.moved == 1 ? "" : "s");
    for (const std::string& change : done.renamed)
        std::printf("chess3d: %s (the name was taken)\n", change.c_str());
    if (done.left > 0)
        std::printf("chess3d: %d file%s could not be moved and stay in %s\n", done.left,
                    done.left == 1 ? "" : "s", old.c_str());
    std::fflush(stdout);
    if (done.moved == 0) return std::string();
    // The folder the player opens ("chess3d", its Save/ inside), when the line can hold it.
    const std::string line = "Saves now: " + shownPath(folder.substr(0, folder.size() - 5), home);
    return line.size() <= INFO_LINE_CHARS ? line : "Saved games moved (see terminal)";
}
