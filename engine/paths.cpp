// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "engine/folders.h"

std::string KNormalizePath(const char* path) {
    std::string s = path ? path : "";
    for (char& c : s)
        if (c == '\\') c = '/';
    return s;
}

namespace {

std::string g_dataFolder; // "" or a folder ending in '/'

} // namespace

void KSetDataFolder(const char* folder) {
    g_dataFolder = folder ? folder : "";
    if (!g_dataFolder.empty() && g_dataFolder.back() != '/') g_dataFolder += '/';
}

std::string KDataPath(const char* path) {
    std::string file = KNormalizePath(path);
    if (g_dataFolder.empty() || (!file.empty() && file[0] == '/')) return file;
    if (file.compare(0, 2, "./") == 0) file.erase(0, 2);
    return g_dataFolder + file;
}

std::string KProgramFolder() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
    if (n <= 0) return "";
    buf[n] = 0;
    std::string s(buf);
    size_t slash = s.rfind('/');
    return slash == std::string::npos ? "" : s.substr(0, slash + 1);
}

bool KReadFile(const std::string& path, std::vector<unsigned char>& out) {
    out.clear();
    // Opened without waiting, so that a pipe with no writer does not stop the game here.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > KREAD_MAX_BYTES) {
        close(fd);
        return false;
    }
    unsigned char chunk[65536];
    ssize_t n;
    bool ok = true;
    while ((n = read(fd, chunk, sizeof chunk)) != 0) {
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        out.insert(out.end(), chunk, chunk + n);
        if (static_cast<long long>(out.size()) > KREAD_MAX_BYTES) { // grew while being read
            ok = false;
            break;
        }
    }
    close(fd);
    if (!ok) out.clear();
    return ok;
}
