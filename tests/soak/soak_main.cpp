// SPDX-License-Identifier: GPL-3.0-or-later
// chess3d-soak: the real game driven in this process by a random player, with the game's
// invariants checked after every step.
//
//   chess3d-soak local|network|hostile [--seed N] [--steps K | --seconds S]
//                [--draw-every N] [--probe-every N] [--idle-passes 0|1]
//
// local    a game against the computer: both colours, new games, loads, saves, take-backs,
//          swaps, the menu, the screens, the pause, the chat, every key and the mouse;
// network  two games (this process and a child) joined through the network library on
//          loopback, each with its own random player, in lockstep;
// hostile  a network game whose peer sends random bytes mixed with valid messages, and floods.
//
// A run is the same for the same seed and steps. It prints one line at the end (mode, seed,
// steps, invariant checks, violations) and exits 0; on a violation it prints the seed, the
// step, the invariant and the last 50 actions, and exits 1.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "chess/engine_random.h"
#include "game/save_folder.h"
#include "game/settings.h"
#include "tests/soak/soak_modes.h"
#include "tests/soak/soak_run.h"
#include "tests/soak/soak_trace.h"
#include "tests/soak/soak_wire.h"
#include "tests/soak/soak_world.h"

namespace soak {

namespace {

constexpr unsigned WATCHDOG_SECONDS = 120; // real time one step may take before the run is failed
constexpr char VICTIM_TEXT[] = "a file a planted link points to";

char g_lastAction[256] = "";

void onHang(int) {
    const char head[] = "VIOLATION: a step hung (no frame for two minutes); it was: ";
    const int fd = fileno(out());
    (void)!write(fd, head, sizeof head - 1);
    (void)!write(fd, g_lastAction, std::strlen(g_lastAction));
    (void)!write(fd, "\n", 1);
    _exit(1);
}

int usage(const char* why) {
    std::fprintf(stderr,
                 "chess3d-soak: %s\nusage: chess3d-soak local|network|hostile [--seed N] "
                 "[--steps K | --seconds S] [--draw-every N] [--probe-every N] "
                 "[--idle-passes 0|1]\n",
                 why);
    return 2;
}

bool parse(int argc, char** argv, Options& o) {
    if (argc < 2) return false;
    o.mode = argv[1];
    if (o.mode != "local" && o.mode != "network" && o.mode != "hostile") return false;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const char* value = argv[i + 1];
        if (name == "--seed")
            o.seed = std::strtoull(value, nullptr, 10);
        else if (name == "--steps")
            o.steps = std::atol(value);
        else if (name == "--seconds")
            o.seconds = std::atof(value);
        else if (name == "--draw-every")
            o.drawEvery = std::atol(value);
        else if (name == "--probe-every")
            o.probeEvery = std::atol(value);
        else if (name == "--idle-passes")
            o.idlePasses = std::atol(value) != 0;
        else
            return false;
    }
    return argc % 2 == 0;
}

// Files a player or another program may leave in the save folder, none of them a game: a pipe,
// a folder, a huge file, a device, and links planted where a save writes its temporary file.
void plantOddFiles(const std::string& folder) {
    namespace fs = std::filesystem;
    mkfifo((folder + "pipe.chs").c_str(), 0644);
    mkfifo((folder + "pipe.pgn").c_str(), 0644);
    fs::create_directory(folder + "folder.chs");
    { std::ofstream(folder + "huge.chs"); }
    std::error_code ignored;
    fs::resize_file(folder + "huge.chs", 64 * 1024 * 1024, ignored); // sparse
    fs::create_symlink("/dev/zero", folder + "device.chs", ignored);
    std::ofstream(folder + "victim") << VICTIM_TEXT;
    for (const char* name : {"SOAK0", "SOAK1", "SOAK2", "SOAK3"})
        fs::create_symlink(folder + "victim", folder + name + ".chs.tmp", ignored);
    // A settings file that is a pipe must not stop the start.
    mkfifo((folder + "settings.ini").c_str(), 0644);
}

bool plantedLinksUntouched(const std::string& folder) {
    std::ifstream in(folder + "victim");
    std::string text;
    std::getline(in, text);
    return text == VICTIM_TEXT;
}

} // namespace

FILE* g_out = stdout;

FILE* out() {
    return g_out;
}

void quietGameOutput() {
    std::fflush(stdout);
    const int own = dup(STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    if (own < 0 || null < 0) return;
    dup2(null, STDOUT_FILENO);
    close(null);
    g_out = fdopen(own, "w");
    setvbuf(g_out, nullptr, _IOLBF, 0);
}

void noteAction(const std::string& text) {
    std::snprintf(g_lastAction, sizeof g_lastAction, "%s", text.c_str());
    alarm(WATCHDOG_SECONDS);
}

std::string makeSaveFolder(const char* role) {
    char pattern[] = "/tmp/chess3d-soak-XXXXXX";
    const char* made = mkdtemp(pattern);
    return made ? std::string(made) + "/" + role + "/" : std::string();
}

void removeSaveFolder(const std::string& folder) {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(folder).parent_path().parent_path(), ignored);
}

int runLocal(const Options& options) {
    const std::string folder = makeSaveFolder("local");
    std::filesystem::create_directories(folder);
    plantOddFiles(folder);
    noteAction("start-up: reading a settings file that is a pipe");
    set_save_folder(folder);
    (void)loadGameSettings(settingsPath()); // refused at once: the defaults
    noteAction("start-up");
    if (!buildWorld(folder, options.ambient())) {
        std::fprintf(out(), "chess3d-soak: the game could not be built\n");
        removeSaveFolder(folder);
        return 2;
    }
    // Hosting and joining from the menu stay on a port of the run's own (nothing answers a join).
    netPort() = freePort();
    Run run(options, Role::Local, options.seed);
    const auto start = std::chrono::steady_clock::now();
    bool ok = true;
    for (;;) {
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (options.over(run.steps(), elapsed)) break;
        ok = run.step() && run.memoryFlat(elapsed);
        noteAction(run.log().last());
        if (!ok) break;
    }
    if (ok && !plantedLinksUntouched(folder)) ok = run.fail("files: a save wrote through a link");
    alarm(0);
    if (!ok) report(options, run, nullptr);
    if (traceHashWanted())
        std::fprintf(out(), "trace L %016llx\n", (unsigned long long)run.traceHash());
    std::fprintf(out(), "soak %s seed %llu: %ld steps, %ld invariant checks, %d violations\n",
                 options.mode.c_str(), (unsigned long long)options.seed, run.steps(), run.checks(),
                 ok ? 0 : 1);
    removeSaveFolder(folder);
    return ok ? 0 : 1;
}

} // namespace soak

int main(int argc, char** argv) {
    soak::Options options;
    if (!soak::parse(argc, argv, options)) return soak::usage("bad arguments");
    soak::quietGameOutput();
    seed_engine_random(options.seed); // the computer's book and choices replay with the run
    signal(SIGALRM, soak::onHang);
    signal(SIGPIPE, SIG_IGN);
    if (options.mode == "local") return soak::runLocal(options);
    if (options.mode == "network") return soak::runNetwork(options);
    return soak::runHostile(options);
}
