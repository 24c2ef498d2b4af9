// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace {

constexpr size_t QUEUE_RESERVE = 64 * 1024; // the longest "position" line of a long game fits

// Programs killed but not yet reaped (a killed program goes within milliseconds; the frame loop
// must not wait for it).
std::vector<int>& leftBehind() {
    static std::vector<int> pids;
    return pids;
}

bool executable(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

void closeFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

} // namespace

std::string quotedWord(const std::string& word) {
    if (!word.empty() && word.find_first_of(" \t\r\n\v\f\"") == std::string::npos) return word;
    std::string out = "\"";
    for (char c : word) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string findProgram(const std::string& program) {
    if (program.empty()) return "";
    if (program.find('/') != std::string::npos) return executable(program) ? program : "";
    std::string folders = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
    folders += ":/usr/games:/usr/local/games";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        const std::string folder = end > start ? folders.substr(start, end - start) : ".";
        const std::string path = folder + "/" + program;
        if (executable(path)) return path;
        start = end + 1;
    }
    return "";
}

bool startChildProcess(ChildProcess& child, const std::vector<std::string>& argv,
                       std::string& error) {
    if (argv.empty()) {
        error = "no program named";
        return false;
    }
    const std::string path = findProgram(argv[0]);
    if (path.empty()) {
        error = "'" + argv[0] + "' not found";
        return false;
    }
    int toChild[2], fromChild[2];
    if (pipe2(toChild, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (pipe2(fromChild, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        close(toChild[0]);
        close(toChild[1]);
        return false;
    }
    // A program that ends while the game writes to it must not end the game: the write then
    // fails with EPIPE, which the caller reads as "ended". The program itself gets the default
    // back (an ignored signal would stay ignored across exec).
    signal(SIGPIPE, SIG_IGN);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    // The game's own descriptors (the display's connection, the network port) stay the game's.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> args;
    for (const std::string& word : argv)
        args.push_back(const_cast<char*>(word.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    const int status = posix_spawn(&pid, path.c_str(), &actions, &attributes, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(toChild[0]);
    close(fromChild[1]);
    if (status != 0) {
        error = "'" + argv[0] + "' cannot be started: " + std::strerror(status);
        close(toChild[1]);
        close(fromChild[0]);
        return false;
    }
    fcntl(toChild[1], F_SETFL, fcntl(toChild[1], F_GETFL) | O_NONBLOCK);
    fcntl(fromChild[0], F_SETFL, fcntl(fromChild[0], F_GETFL) | O_NONBLOCK);
    child.pid = pid;
    child.input = toChild[1];
    child.output = fromChild[0];
    child.queued.clear();
    child.queued.reserve(QUEUE_RESERVE);
    child.buffered = 0;
    child.lineEnd = -1;
    child.readThisPoll = 0;
    return true;
}

bool flushToChild(ChildProcess& child) {
    if (child.input < 0) return false;
    while (!child.queued.empty()) {
        const ssize_t n = write(child.input, child.queued.data(), child.queued.size());
        if (n > 0) {
            child.queued.erase(0, size_t(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true; // the pipe is full
        return false; // EPIPE: nobody reads any more
    }
    return true;
}

bool sendToChild(ChildProcess& child, const char* text) {
    if (child.input < 0) return false;
    child.queued += text;
    return flushToChild(child);
}

ChildRead nextChildLine(ChildProcess& child, const char*& line) {
    if (child.output < 0) return ChildRead::Closed;
    // 1. Drop the line handed out last time.
    if (child.lineEnd >= 0) {
        const int rest = child.buffered - child.lineEnd;
        std::memmove(child.buffer, child.buffer + child.lineEnd, size_t(rest));
        child.buffered = rest;
        child.lineEnd = -1;
    }
    for (;;) {
        // 2. A whole line in the buffer, or a full buffer handed out as a piece of one.
        char* end = static_cast<char*>(std::memchr(child.buffer, '\n', size_t(child.buffered)));
        if (end || child.buffered == CHILD_LINE_LIMIT) {
            // The terminator goes on the '\n', or on the spare byte after a full buffer.
            const int length = end ? int(end - child.buffer) : CHILD_LINE_LIMIT;
            child.lineEnd = end ? length + 1 : length;
            child.buffer[length] = 0;
            if (length > 0 && child.buffer[length - 1] == '\r') child.buffer[length - 1] = 0;
            line = child.buffer;
            return ChildRead::Line;
        }
        // 3. More bytes, within this call's budget.
        if (child.readThisPoll >= CHILD_READ_PER_POLL) {
            child.readThisPoll = 0;
            return ChildRead::None;
        }
        const ssize_t n = read(child.output, child.buffer + child.buffered,
                               size_t(CHILD_LINE_LIMIT - child.buffered));
        if (n > 0) {
            child.buffered += int(n);
            child.readThisPoll += int(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            child.readThisPoll = 0;
            return ChildRead::None;
        }
        return ChildRead::Closed; // end of file: the program closed its output or ended
    }
}

bool childHasEnded(ChildProcess& child) {
    if (child.pid < 0) return true;
    int status = 0;
    const pid_t r = waitpid(child.pid, &status, WNOHANG);
    if (r == child.pid || (r < 0 && errno == ECHILD)) {
        child.pid = -1;
        return true;
    }
    return false;
}

void endChildProcess(ChildProcess& child, int graceMs) {
    closeFd(child.input);
    closeFd(child.output);
    child.queued.clear();
    child.buffered = 0;
    child.lineEnd = -1;
    if (child.pid < 0) return;
    for (int waited = 0; waited < graceMs; waited += 10) {
        if (childHasEnded(child)) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (childHasEnded(child)) return;
    kill(child.pid, SIGKILL);
    if (!childHasEnded(child)) leftBehind().push_back(child.pid);
    child.pid = -1;
}

void reapEndedChildren() {
    std::vector<int>& pids = leftBehind();
    for (size_t i = 0; i < pids.size();) {
        int status = 0;
        const pid_t r = waitpid(pids[i], &status, WNOHANG);
        if (r == pids[i] || (r < 0 && errno == ECHILD)) {
            pids[i] = pids.back();
            pids.pop_back();
        } else {
            ++i;
        }
    }
}
