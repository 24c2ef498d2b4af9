#include "game/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace {

constexpr mode_t FILE_MODE = 0644; // as fopen would make it, before the umask

// write(2) until everything is written; false on an error.
bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

} // namespace

FileRead read_small_file(const char* path, size_t limit, std::string& text, bool cut) {
    text.clear();
    if (!path) return FileRead::CannotOpen;
    // O_NONBLOCK: opening a pipe with no writer would otherwise wait for one.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return FileRead::CannotOpen;
    struct stat st {};
    FileRead result = FileRead::Ok;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        result = FileRead::CannotOpen;
    else if (size_t(st.st_size) > limit && !cut)
        result = FileRead::TooLarge;
    if (result == FileRead::Ok) {
        text.reserve(std::min(size_t(st.st_size), limit));
        char chunk[4096];
        for (;;) {
            const ssize_t n = read(fd, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                result = FileRead::Failed;
                break;
            }
            if (n == 0) break;
            // A file that grew past the limit since fstat is refused all the same, or cut.
            if (text.size() + size_t(n) > limit) {
                if (cut)
                    text.append(chunk, limit - text.size());
                else
                    result = FileRead::TooLarge;
                break;
            }
            text.append(chunk, size_t(n));
        }
    }
    close(fd);
    if (result != FileRead::Ok) text.clear();
    return result;
}

bool replace_file(const char* path, const std::string& text, bool sync) {
    if (!path || !*path) return false;
    // A name of its own for every attempt: O_EXCL refuses anything already there, a symbolic
    // link included, so nothing planted under the name is ever written through.
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        char suffix[40];
        std::snprintf(suffix, sizeof suffix, ".%d.%d.tmp", int(getpid()), attempt);
        temp = std::string(path) + suffix;
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, FILE_MODE);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    bool ok = writeAll(fd, text.data(), text.size());
    // The data must be on the disk before the rename makes it the file.
    ok = ok && (!sync || fsync(fd) == 0);
    ok = (close(fd) == 0) && ok;
    ok = ok && std::rename(temp.c_str(), path) == 0;
    if (!ok) unlink(temp.c_str());
    return ok;
}
