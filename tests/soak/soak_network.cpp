// SPDX-License-Identifier: GPL-3.0-or-later
// The network mode: two real games, this process hosting and a child joining, connected through
// the network library on loopback, each with its own random player. They step in turns (host,
// then joining side), and after each step the stepping game waits until the kernel has handed
// over everything it sent (soak_wire.h): the bytes each game reads at each step are then the
// same on every run of a seed. Over a control socket they tell each other their state after each
// step; whenever both are quiet (connected, nothing unread or in flight, no glide, no request or
// question, no game on its way) their records must hold the same moves, their colours must be
// opposite and the side to move the same.

#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "app/launch_options.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/settings.h"
#include "tests/soak/soak_checks.h"
#include "tests/soak/soak_modes.h"
#include "tests/soak/soak_run.h"
#include "tests/soak/soak_trace.h"
#include "tests/soak/soak_wire.h"
#include "tests/soak/soak_world.h"
#include "ui/interface.h"

namespace soak {

namespace {

constexpr uint64_t JOIN_SEED_MIX = 0x9E3779B97F4A7C15ull;

// What a game tells the other after each of its steps.
struct Report {
    int32_t failed = 0; // this game failed (it printed its report)
    int32_t stop = 0;   // the run is over (from the host)
    int64_t steps = 0;
    int64_t checks = 0;
    int32_t quiet = 0;
    int32_t sent = 0;    // it sent bytes during the step
    int32_t unacked = 0; // bytes it sent that the other's kernel had not acknowledged
    int32_t closed = 0;  // it closed its connection during the step
    int32_t hush = 0;    // its next step is a probe's: the other keeps still meanwhile
    int32_t hostPort = 0;
    int32_t moveCount = 0;
    uint32_t recordHash = 0;
    int32_t humanColour = 0;
    int32_t sideToMove = 0;
    char lastMoves[96] = "";
    uint64_t traceHash = 0; // the hash of its trace lines so far (SOAK_TRACE_HASH)
};

bool sendReport(int fd, const Report& r) {
    return write(fd, &r, sizeof r) == ssize_t(sizeof r);
}

bool readReport(int fd, Report& r) {
    size_t got = 0;
    auto* bytes = reinterpret_cast<char*>(&r);
    while (got < sizeof r) {
        const ssize_t n = read(fd, bytes + got, sizeof r - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            std::fprintf(out(), "(control channel: read gave %zd, %s)\n", n, std::strerror(errno));
            return false;
        }
        got += size_t(n);
    }
    return true;
}

uint32_t recordHash() {
    uint32_t h = 2166136261u;
    for (RecordedMove m : g_game->record.moves)
        h = (h ^ uint32_t(m)) * 16777619u;
    return h;
}

// Nothing of the game between the two is under way on this side.
bool quiet() {
    return gameConnected() && !g_game->boardInMotion() && !g_game->requestPending &&
           !g_game->questionShown && !g_game->wholeGameAwaited() && unreadBytes() == 0;
}

Report stateReport(long steps, long checks, bool sent, bool closed) {
    Report r;
    r.steps = steps;
    r.checks = checks;
    r.quiet = quiet();
    r.sent = sent;
    r.unacked = unacknowledgedBytes();
    r.closed = closed;
    r.hostPort = listeningPort();
    r.moveCount = g_game->record.moves.count;
    r.recordHash = recordHash();
    r.humanColour = g_game->humanColour;
    r.sideToMove = g_game->sideToMove;
    std::string moves;
    for (int i = std::max(0, g_game->record.moves.count - 6); i < g_game->record.moves.count; ++i)
        moves += std::to_string(int(g_game->record.moves[i])) + " ";
    std::snprintf(r.lastMoves, sizeof r.lastMoves, "%s", moves.c_str());
    return r;
}

long g_comparisons = 0; // times both games were quiet and their boards compared
int g_longestGame = 0;  // moves of the longest game compared

// The two boards agree whenever both games are quiet.
std::string boardsAgree(const Report& other) {
    if (!other.quiet || other.sent || !quiet()) return "";
    ++g_comparisons;
    g_longestGame = std::max(g_longestGame, g_game->record.moves.count);
    if (other.moveCount == g_game->record.moves.count && other.recordHash == recordHash() &&
        other.humanColour != g_game->humanColour && other.sideToMove == g_game->sideToMove)
        return "";
    // Bytes not yet acknowledged may still be on their way through loopback (a busy machine
    // defers its delivery), unseen by the receiver's queue: the boards are compared again once
    // they have arrived.
    if (other.unacked > 0 || unacknowledgedBytes() > 0) return "";
    const Report mine = stateReport(0, 0, false, false);
    char text[512];
    std::snprintf(text, sizeof text,
                  "two boards: the other game has %d moves (last %s), colour %d, %d to move; this "
                  "one %d moves (last %s), colour %d, %d to move",
                  other.moveCount, other.lastMoves, other.humanColour, other.sideToMove,
                  mine.moveCount, mine.lastMoves, mine.humanColour, mine.sideToMove);
    return text;
}

// One side of the run. The host decides when it ends and prints the summary line.
int playSide(const Options& options, Role role, int control, int port) {
    const bool host = role == Role::Host;
    const char* who = host ? "the host" : "the joining side";
    const std::string folder = makeSaveFolder(host ? "host" : "join");
    std::filesystem::create_directories(folder);
    noteAction("start-up");
    if (!buildWorld(folder, options.ambient())) {
        std::fprintf(out(), "chess3d-soak: %s's game could not be built\n", who);
        Report failed;
        failed.failed = 1;
        sendReport(control, failed);
        return 2;
    }
    LaunchOptions launch;
    launch.port = port;
    if (host) {
        launch.hostColour = 0;
    } else {
        launch.joinAddress = "localhost";
    }
    Run run(options, role, host ? options.seed : options.seed ^ JOIN_SEED_MIX);
    const auto start = std::chrono::steady_clock::now();
    Report other;
    bool started = false;
    if (!host && !readReport(control, other)) return 1;
    for (;;) {
        if (other.failed) {
            std::fprintf(out(), "(%s's last actions, the other game having failed)\n", who);
            std::fprintf(out(), "state: %s\n", stateSummary().c_str());
            run.log().print(who);
            removeSaveFolder(folder);
            return 1;
        }
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const long total = run.steps() + long(other.steps);
        const bool over = options.over(total, elapsed);
        if (other.stop || (host && over)) {
            Report mine = stateReport(run.steps(), run.checks(), false, false);
            mine.stop = 1;
            mine.traceHash = run.traceHash();
            if (!host) {
                sendReport(control, mine);
                removeSaveFolder(folder);
                return 0;
            }
            sendReport(control, mine);
            Report last;
            const bool heard = readReport(control, last);
            // Only the host prints, so that the two games' lines never interleave.
            if (traceHashWanted())
                std::fprintf(out(), "trace H %016llx J %016llx\n",
                             (unsigned long long)run.traceHash(),
                             (unsigned long long)last.traceHash);
            std::fprintf(out(),
                         "boards compared %ld times (the host's count), games of up to %d moves\n",
                         g_comparisons, g_longestGame);
            std::fprintf(out(),
                         "soak network seed %llu: %ld steps, %ld invariant checks, %d violations\n",
                         (unsigned long long)options.seed, run.steps() + long(last.steps),
                         run.checks() + long(last.checks), heard && !last.failed ? 0 : 1);
            removeSaveFolder(folder);
            return heard && !last.failed ? 0 : 1;
        }
        // Before this side's step: what the other side's step did.
        if (other.closed) awaitPeerClose();
        if (!host && other.hostPort) netPort() = other.hostPort;
        run.countCheck();
        std::string agreement = boardsAgree(other);
        bool ok = agreement.empty() || run.fail(agreement);

        const int socketBefore = gameSocket();
        const uint64_t ackedBefore = bytesAcknowledged();
        if (ok && !started) {
            startFromOptions(launch); // straight into the network game, as the options start it
            started = true;
        }
        ok = ok && (other.hush ? run.stillStep() : run.step()) && run.memoryFlat(elapsed);
        noteAction(run.log().last());
        settleOutgoing();
        const bool closed = socketBefore >= 0 && gameSocket() != socketBefore;
        const bool sent = gameSocket() != socketBefore || bytesAcknowledged() != ackedBefore;
        Report mine = stateReport(run.steps(), run.checks(), sent, closed);
        mine.traceHash = run.traceHash();
        mine.hush = run.player().hushesOthers();
        if (!ok) {
            // The run stops once both games' steps reach --steps, before the next check.
            report(options, run, who, run.steps() + long(other.steps) + 1);
            mine.failed = 1;
            sendReport(control, mine);
            if (!host) readReport(control, other); // the host prints its side, then ends
            removeSaveFolder(folder);
            return 1;
        }
        if (!sendReport(control, mine) || !readReport(control, other)) {
            std::fprintf(out(),
                         "VIOLATION in network mode, seed %llu: the other game died (%s stepped "
                         "%ld times)\n",
                         (unsigned long long)options.seed, who, run.steps());
            run.log().print(who);
            removeSaveFolder(folder);
            return 1;
        }
    }
}

} // namespace

int runNetwork(const Options& options) {
    int control[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, control) != 0) return 2;
    const int port = freePort();
    std::fflush(stdout);
    const pid_t child = fork();
    if (child < 0) return 2;
    if (child == 0) {
        close(control[0]);
        const int code = playSide(options, Role::Join, control[1], port);
        std::fflush(stdout);
        _exit(code);
    }
    close(control[1]);
    int code = playSide(options, Role::Host, control[0], port);
    close(control[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (code == 0 && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) code = 1;
    return code;
}

} // namespace soak
