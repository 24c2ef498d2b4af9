// SPDX-License-Identifier: GPL-3.0-or-later
// Program path, current folder and the folder search, over POSIX.

#include "platform/win32.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fnmatch.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
    if (module || !buffer || size == 0) return 0;
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return 0;
    const DWORD len = static_cast<DWORD>(n);
    if (len >= size) {
        // Cut, but always terminated (unlike old Windows), so callers cannot read past it.
        std::memcpy(buffer, path, size - 1);
        buffer[size - 1] = '\0';
        return size;
    }
    std::memcpy(buffer, path, len);
    buffer[len] = '\0';
    return len;
}

BOOL SetCurrentDirectoryA(LPCSTR path) {
    if (!path) return FALSE;
    std::string p(path);
    std::replace(p.begin(), p.end(), '\\', '/');
    return chdir(p.c_str()) == 0 ? TRUE : FALSE;
}

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
    char path[4096];
    if (!getcwd(path, sizeof path)) return 0;
    const DWORD len = static_cast<DWORD>(std::strlen(path));
    if (!buffer || len + 1 > size) return len + 1;
    std::memcpy(buffer, path, len + 1);
    return len;
}

namespace {

// One open search: every match is read at _findfirst (a saved-games folder is small), then
// handed out in order.
struct FindState {
    std::vector<_finddata_t> matches;
    size_t next = 0;
};

} // namespace

intptr_t _findfirst(const char* pattern, _finddata_t* data) {
    if (!pattern || !data) {
        errno = EINVAL;
        return -1;
    }
    std::string spec(pattern);
    std::replace(spec.begin(), spec.end(), '\\', '/');
    const size_t slash = spec.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : spec.substr(0, slash + 1);
    const std::string namePattern = slash == std::string::npos ? spec : spec.substr(slash + 1);

    DIR* dir = opendir(folder.c_str());
    if (!dir) {
        errno = ENOENT;
        return -1;
    }
    auto* state = new FindState;
    while (const dirent* entry = readdir(dir)) {
        // Windows file names match without regard to case: "*.chs" finds "GAME.CHS" too.
        if (fnmatch(namePattern.c_str(), entry->d_name, FNM_CASEFOLD) != 0) continue;
        const std::string full = folder + entry->d_name;
        struct stat st;
        if (stat(full.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        const size_t nameLen = std::strlen(entry->d_name);
        if (nameLen >= sizeof(_finddata_t::name)) continue; // cannot be handed out whole
        _finddata_t f{};
        f.attrib = access(full.c_str(), W_OK) == 0 ? _A_NORMAL : _A_RDONLY;
        f.time_create = st.st_ctime;
        f.time_access = st.st_atime;
        f.time_write = st.st_mtime;
        f.size = static_cast<long>(st.st_size);
        std::memcpy(f.name, entry->d_name, nameLen + 1);
        state->matches.push_back(f);
    }
    closedir(dir);
    if (state->matches.empty()) {
        delete state;
        errno = ENOENT;
        return -1;
    }
    std::sort(state->matches.begin(), state->matches.end(),
              [](const _finddata_t& a, const _finddata_t& b) {
                  const int c = strcasecmp(a.name, b.name);
                  return c != 0 ? c < 0 : std::strcmp(a.name, b.name) < 0;
              });
    *data = state->matches[0];
    state->next = 1;
    return reinterpret_cast<intptr_t>(state);
}

int _findnext(intptr_t handle, _finddata_t* data) {
    auto* state = reinterpret_cast<FindState*>(handle);
    if (handle == -1 || !state || !data) {
        errno = EINVAL;
        return -1;
    }
    if (state->next >= state->matches.size()) {
        errno = ENOENT;
        return -1;
    }
    *data = state->matches[state->next++];
    return 0;
}

int _findclose(intptr_t handle) {
    if (handle == -1 || handle == 0) {
        errno = EINVAL;
        return -1;
    }
    delete reinterpret_cast<FindState*>(handle);
    return 0;
}
