// SPDX-License-Identifier: MIT
#include "net/KivNetwork.h"

#include <cstdarg>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

// "NetLog.txt" in the current folder holds the latest message only. The file is opened once and
// kept open while the current folder and the name stay what they were; when either changes
// (another folder, the file removed or replaced) it is opened again. It is never opened
// through a symbolic link, and only a regular file is kept (a FIFO put there would stall the
// writer). A message is written at the start of the file and the rest is cut off. When the file
// cannot be opened the message still reaches standard output, and opening is tried again only
// once the folder or the name has changed.

namespace {

constexpr int MESSAGE_MAX = 2048; // bytes of one message, its zero included; longer ones are cut

// Where a name leads: device and inode, both 0 when nothing is there.
struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileId&) const = default;
};

struct LogFile {
    std::mutex lock;     // the library's threads may log beside the caller's
    int fd = -1;         // the open log, -1 when it could not be opened
    bool opened = false; // an open was tried for folder and name
    FileId folder;       // the current folder then
    FileId name;         // what "NetLog.txt" named then (the file held, when fd >= 0)
} g_log;

FileId idOf(const struct stat& s) {
    return {s.st_dev, s.st_ino};
}

FileId lookUp(const char* path) {
    struct stat s;
    return lstat(path, &s) == 0 ? idOf(s) : FileId{};
}

// The log's descriptor for the current folder, opened when the folder or the name changed.
int logFile() {
    LogFile& log = g_log;
    const FileId folder = lookUp("."), name = lookUp("NetLog.txt");
    if (log.opened && folder == log.folder && name == log.name) return log.fd;
    if (log.fd >= 0) close(log.fd);
    log.opened = true;
    log.folder = folder;
    log.name = name;
    log.fd = open("NetLog.txt", O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    struct stat s;
    if (log.fd >= 0 && (fstat(log.fd, &s) != 0 || !S_ISREG(s.st_mode))) {
        close(log.fd);
        log.fd = -1;
    }
    if (log.fd >= 0) log.name = idOf(s);
    return log.fd;
}

} // namespace

void NetLog(const char* format, ...) {
    char message[MESSAGE_MAX];
    va_list args;
    va_start(args, format);
    const int formatted = std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    if (formatted < 0) return;
    const size_t length = formatted < MESSAGE_MAX ? size_t(formatted) : MESSAGE_MAX - 1;
    {
        std::lock_guard<std::mutex> hold(g_log.lock);
        const int fd = logFile();
        // Written first, then cut: the file never shows empty between two messages.
        if (fd >= 0 && pwrite(fd, message, length, 0) == ssize_t(length))
            (void)!ftruncate(fd, off_t(length));
    }
    std::fwrite(message, 1, length, stdout);
    std::fflush(stdout);
}
