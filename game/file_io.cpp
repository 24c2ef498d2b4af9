// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace {

constexpr mode_t FILE_MODE = 0644; // as fopen would make it, before the umask

} // namespace

int open_regular_file(const char* path, size_t* size) {
    if (!path) return -1;
    // O_NONBLOCK: opening a pipe with no writer would otherwise wait for one.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return -1;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return -1;
    }
    if (size) *size = size_t(st.st_size);
    return fd;
}

FileRead read_small_file(const char* path, size_t limit, std::string& text, bool cut) {
    text.clear();
    size_t size = 0;
    const int fd = open_regular_file(path, &size);
    if (fd < 0) return FileRead::CannotOpen;
    FileRead result = size > limit && !cut ? FileRead::TooLarge : FileRead::Ok;
    if (result == FileRead::Ok) {
        text.reserve(std::min(size, limit));
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

bool stage_file(const char* path, const std::string& text, StagedFile& staged) {
    staged = StagedFile();
    if (!path || !*path) return false;
    // A name of its own for every attempt: O_EXCL refuses anything already there, a symbolic
    // link included, so nothing planted under the name is ever written through. A save of the
    // same file still being flushed holds the first names.
    for (int attempt = 0; attempt < 100 && staged.fd < 0; ++attempt) {
        char suffix[40];
        std::snprintf(suffix, sizeof suffix, ".%d.%d.tmp", int(getpid()), attempt);
        staged.temp = std::string(path) + suffix;
        staged.fd = open(staged.temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                         FILE_MODE);
        if (staged.fd < 0 && errno != EEXIST) return false;
    }
    if (staged.fd < 0) return false;
    staged.target = path;
    if (write_all(staged.fd, text.data(), text.size())) return true;
    drop_staged_file(staged);
    return false;
}

bool commit_staged_file(StagedFile& staged, bool sync) {
    if (staged.fd < 0) return false;
    // The data must be on the disk before the rename makes it the file.
    bool ok = !sync || fsync(staged.fd) == 0;
    ok = (close(staged.fd) == 0) && ok;
    staged.fd = -1;
    ok = ok && std::rename(staged.temp.c_str(), staged.target.c_str()) == 0;
    if (!ok) {
        unlink(staged.temp.c_str());
        return false;
    }
    // The rename itself is on the disk once the folder is: without this a power cut could bring
    // the old file back. The new file is in place whatever this says.
    if (sync) {
        const size_t slash = staged.target.rfind('/');
        const std::string folder =
            slash == std::string::npos ? "." : staged.target.substr(0, slash + 1);
        const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            (void)fsync(dir);
            close(dir);
        }
    }
    return true;
}

void drop_staged_file(StagedFile& staged) {
    if (staged.fd < 0) return;
    close(staged.fd);
    staged.fd = -1;
    unlink(staged.temp.c_str());
}

bool replace_file(const char* path, const std::string& text, bool sync) {
    StagedFile staged;
    return stage_file(path, text, staged) && commit_staged_file(staged, sync);
}

bool write_all(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}
