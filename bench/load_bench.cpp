// SPDX-License-Identifier: GPL-3.0-or-later
// chess3d-load-bench: how long the load screen holds up the frame loop when the saved-games
// folder is full of large PGN files, in the real game built in this process and driven as a
// player would (the menu's Load entry), on the engine's test clock.
//
//   chess3d-load-bench [--files N] [--mb M] [--kind games|tokens]
//
// Writes N PGN files of M MB each (10 and 32 unless told) into the save folder for the run and
// removes them at the end: "games" repeats a 40-move game (a count stops at 1,000 games and
// the list gets 1,000 lines a file), "tokens" is one game of one-letter moves (each file read to
// its end, one line a file). Then opens the load screen twice (the second time the files'
// counts are remembered) and prints, for each opening, the time of the frames of the wall's turn
// before it (the frame as it is without the screen), of the frame in which the screen opened and
// of those after it until its list was whole and its panel had faded in (the frame that first
// draws the lines is among them), and when the list was complete. Each frame is timed in real
// time and in the processor time of the frame loop's thread (which leaves out the waits of a
// busy machine, not the drawing's). Run it from the build's bin folder.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "anim/anim_manager.h"
#include "app/game_main.h"
#include "board/camera_views.h"
#include "engine/KivEngine.h"
#include "game/file_jobs.h"
#include "game/game_model.h"
#include "game/saved_games.h"
#include "platform/win32.h"
#include "tools/chess3d-shots/shot_driver.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int LOAD_PAGE_ENTRY = 2;        // the main page's Load entry
constexpr double GIVE_UP_SECONDS = 300.0; // real time allowed for a list to complete
constexpr double WALL_TURN_SECONDS = 3.5; // test clock for the wall's turn back
constexpr const char* FILE_PREFIX = "load-bench-";
constexpr size_t PANEL_FADE_FRAMES = 20; // frames of 0.04 s: the panel's fade-in and a few more

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Processor time this thread (the frame loop's) has used, in milliseconds: unlike the real
// time, it leaves out the waits for a processor on a busy machine.
double threadMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000 + double(t.tv_nsec) / 1e6;
}

// A frame's real and processor time.
struct FrameTime {
    double real = 0, cpu = 0;
};

// Median and longest of a run of frames, by real time and by processor time apart.
struct FrameStats {
    double medianReal = 0, longestReal = 0, medianCpu = 0, longestCpu = 0;
};

FrameStats statsOf(const std::vector<FrameTime>& frames) {
    std::vector<double> real, cpu;
    for (const FrameTime& f : frames) {
        real.push_back(f.real);
        cpu.push_back(f.cpu);
    }
    FrameStats s;
    if (frames.empty()) return s;
    std::sort(real.begin(), real.end());
    std::sort(cpu.begin(), cpu.end());
    s.medianReal = real[real.size() / 2];
    s.longestReal = real.back();
    s.medianCpu = cpu[cpu.size() / 2];
    s.longestCpu = cpu.back();
    return s;
}

// The text of one file of `bytes` bytes (about).
std::string pgnText(size_t bytes, bool tokens) {
    const std::string game =
        "[Event \"bench\"]\n[White \"A\"]\n[Black \"B\"]\n[Result \"*\"]\n\n"
        "1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Ba4 Nf6 5. O-O Be7 6. Re1 b5 7. Bb3 d6 8. c3 O-O "
        "9. h3 Nb8 10. d4 Nbd7 11. c4 c6 12. cxb5 axb5 13. Nc3 Bb7 14. Bg5 b4 15. Nb1 h6 "
        "16. Bh4 c5 17. dxe5 Nxe4 18. Bxe7 Qxe7 19. exd6 Qf6 20. Nbd2 Nxd6 21. Nc4 Nxc4 "
        "22. Bxc4 Nb6 23. Ne5 Rae8 24. Bxf7+ Rxf7 25. Nxf7 Rxe1+ 26. Qxe1 Kxf7 27. Qe3 Qg5 "
        "28. Qxg5 hxg5 29. b3 Ke6 30. a3 Kd6 31. axb4 cxb4 32. Ra5 Nd5 33. f3 Bc8 34. Kf2 Bf5 "
        "35. Ra7 g6 36. Ra6+ Kc5 37. Ke1 Nf4 38. g3 Nxh3 39. Kd2 Kb5 40. Rd6 Kc5 *\n\n";
    std::string text;
    text.reserve(bytes + game.size());
    while (text.size() < bytes)
        text += tokens ? std::string("a ") : game;
    return text;
}

struct Opening {
    FrameStats before;     // the frames of the wall's turn before the screen opened
    FrameTime opening;     // the frame in which it opened
    FrameStats filling;    // the frames after it until the list was whole and the panel shown
    double completeMs = 0; // real time from the opening to the whole list
    size_t lines = 0;
};

// Clicks Load on the main page and runs frames, each timed, until the list is whole.
bool openLoadScreen(Opening& o) {
    int x, y;
    if (!findEntryPixel(0, LOAD_PAGE_ENTRY, x, y)) return false;
    movePointer(x, y);
    runFrames(5);
    clickAt(x, y);
    std::vector<FrameTime> before, filling;
    Clock::time_point opened{};
    bool open = false;
    const Clock::time_point start = Clock::now();
    while (msSince(start) < GIVE_UP_SECONDS * 1000) {
        const Clock::time_point frameStart = Clock::now();
        const double cpuStart = threadMs();
        if (!runFrames(1)) return false;
        const FrameTime f{msSince(frameStart), threadMs() - cpuStart};
        if (!open && g_ui->loadScreenOpen) {
            open = true;
            opened = Clock::now();
            o.opening = f;
        } else {
            (open ? filling : before).push_back(f);
        }
        const bool whole = open && file_jobs_idle();
        if (whole && o.completeMs == 0) o.completeMs = msSince(opened);
        // Until the list is whole and the panel has faded in (its lines drawn a first time).
        if (whole && filling.size() >= PANEL_FADE_FRAMES) break;
    }
    if (!open || !file_jobs_idle()) return false;
    o.lines = g_ui->overlay->fileLines.size();
    o.before = statsOf(before);
    o.filling = statsOf(filling);
    return true;
}

void print(const char* which, const Opening& o) {
    std::printf("%s (%zu lines, complete %.0f ms after the opening)\n", which, o.lines,
                o.completeMs);
    std::printf("  %-26s %14s %14s\n", "frames (ms)", "real", "frame loop cpu");
    std::printf("  %-26s %6.1f %7.1f %6.1f %7.1f\n", "before it: median, longest",
                o.before.medianReal, o.before.longestReal, o.before.medianCpu, o.before.longestCpu);
    std::printf("  %-26s %6.1f %14.1f\n", "the opening frame", o.opening.real, o.opening.cpu);
    std::printf("  %-26s %6.1f %7.1f %6.1f %7.1f\n", "filling in: median, longest",
                o.filling.medianReal, o.filling.longestReal, o.filling.medianCpu,
                o.filling.longestCpu);
}

int usage() {
    std::fprintf(stderr, "usage: chess3d-load-bench [--files N] [--mb M] [--kind games|tokens]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    int files = 10, mb = 32;
    bool tokens = false;
    for (int i = 1; i < argc; i += 2) {
        if (i + 1 >= argc) return usage();
        const std::string a = argv[i], v = argv[i + 1];
        if (a == "--files")
            files = std::atoi(v.c_str());
        else if (a == "--mb")
            mb = std::atoi(v.c_str());
        else if (a == "--kind" && (v == "games" || v == "tokens"))
            tokens = v == "tokens";
        else
            return usage();
    }
    if (files < 0 || mb < 1) return usage();
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    drawOffscreenWithoutDisplay();
    KivInitDLL();
    KSetTestClock(true);
    if (!buildGame() || !runFrames(1)) return 2;
    const std::string text = pgnText(size_t(mb) << 20, tokens);
    std::vector<std::string> made;
    for (int i = 0; i < files; ++i) {
        made.push_back(std::string(save_folder()) + FILE_PREFIX + std::to_string(i) + ".pgn");
        std::ofstream(made.back(), std::ios::binary) << text;
    }
    std::printf("%d PGN files of %d MB (%s) in %s\n", files, mb, tokens ? "tokens" : "games",
                save_folder());
    pressKey(VK_ESCAPE); // the intro
    bool ok = runUntil([] { return g_game->menuOpen && !IsCameraMoving(); }, 30, 0.1);
    Opening first, second;
    ok = ok && openLoadScreen(first);
    if (ok) print("first opening", first);
    pressKey(VK_ESCAPE); // the screen closes, the wall turns back
    runUntil([] { return false; }, WALL_TURN_SECONDS, 0.1);
    ok = ok && openLoadScreen(second);
    if (ok) print("second opening (counts remembered)", second);
    if (!ok) std::fprintf(stderr, "chess3d-load-bench: the load screen did not open or fill\n");
    for (const std::string& path : made)
        std::filesystem::remove(path);
    shutdownGame();
    KivFreeDLL();
    return ok ? 0 : 1;
}
