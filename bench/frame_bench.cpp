// SPDX-License-Identifier: GPL-3.0-or-later
// chess3d-bench: frame times of the scenes a player sees most, drawn by the real game in this
// process and driven the way a player would, on the engine's test clock.
//
//   chess3d-bench [SCENE...] [--frames N] [--size WxH | --fullscreen WxH] [--scale S]
//                 [--shots FOLDER] [--prefix NAME] [--passes] [--memory]
//
// SCENE is intro, menu, water, board, pause or think (the first five when none is named: think
// plays level-6 searches, minutes on a loaded machine); they are played in that order, as a
// player meets them, whatever order they are named in. Each named scene
// is timed over N frames (200 unless told): real time of each pass of the frame loop, drawing and
// swap included. Printed per scene: median and 95th percentile in milliseconds, the median
// processor time of a frame (all threads of the process: with a software renderer it shows the
// work even when other programs share the processor), triangles and draw calls per frame (every
// pass, the mirror's included), the lights of the scene, and the renderer's name; then the
// time from the start of the program to its first frame shown and the resident memory.
// The game starts in its 800 x 600 window as always (the start-up time is taken there); --size
// then gives the window another size, and --fullscreen makes the window the size of a desktop of
// W x H and switches the game to full screen in it, as the F key does: on a 1920 x 1080 desktop
// the game's 4:3 picture is 1440 x 1080 with black bars beside it. --scale fixes the render
// scale (1.0, 0.75, 0.5 ...) where the game would choose it itself ("auto", as settings.ini
// says by default); the scale each scene was drawn at is printed beside its times, as a range
// when it moved.
// The think scene times the frames while the computer thinks at level 6, without its book, over
// three answers in a loaded middlegame (White plays the first legal move the board finds): first
// with the search in-line, as the harnesses run it, then beside the frame loop, as the game runs
// it, from the same position; it prints the longest and the median frame of each and whether both
// played the same moves. The --frames count does not apply to it.
// With --shots, a PNG of each named scene is written to FOLDER as NAME<scene>.png (NAME is
// "bench-" unless told), from the same moment of the scene on every run; after the board
// scene also NAMEtext.png, the board two moves later with the move list on and a refused move
// on the info line (the pause scene then starts from that position).
// With --passes, the renderer waits for the GPU after each pass of the frame and each opaque
// draw, and each scene's report is followed by where its frames went: per pass (the opaque and
// sky passes per material) the median and mean milliseconds and the share of the mean frame;
// "outside the drawing" is the rest of the frame (the game's own work and the swap). The waits
// slow the frames: time the targets without --passes. With --memory, the resident memory at the
// end is also shown by what holds it (mapped libraries, the heap, other anonymous mappings).
//
// Run it from the build's bin folder. Without a display (or with SDL_VIDEODRIVER=offscreen)
// it draws offscreen. The test clock moves by fixed steps, so two runs draw the same pictures:
// only the time they take differs.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <SDL2/SDL.h>
#include <epoxy/gl.h>

#include "anim/anim_manager.h"
#include "app/app_state.h"
#include "app/extra_keys.h"
#include "app/game_main.h"
#include "app/input.h"
#include "board/board_moves.h"
#include "board/board_scene.h"
#include "board/camera_views.h"
#include "engine/KivEngine.h"
#include "engine/mesh.h"
#include "engine/scene.h"
#include "engine/texture.h"
#include "game/computer_thinking.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/opponent.h"
#include "game/settings.h"
#include "tools/chess3d-shots/shot_driver.h"
#include "tools/chess3d-shots/shot_scene_start.h"
#include "ui/computer_page.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* SCENES[] = {"intro", "menu", "water", "board", "pause", "think"};
constexpr int SCENE_COUNT = 6;
constexpr double WALL_TURN_SECONDS = 3.5; // the wall's wave takes about three seconds
constexpr int WHITE = 0;
constexpr double WAIT_FRAME_SECONDS = 0.1; // frames between the timed ones: fewer, longer

// The frames of the scene being timed.
struct Timing {
    bool active = false;
    int wanted = 0;             // frames to time
    std::vector<double> frames; // seconds, reserved up front
    std::vector<double> cpu;    // processor seconds of the same frames
    double triangles = 0;       // sums over the timed frames
    double drawCalls = 0;
    float lowScale = 1, highScale = 0; // render scales of the timed frames
    int lights = 0;                    // lights of the last timed frame
};

// Per-pass times of the timed frames (--passes): one row per pass and material, a value per
// frame (zero where the pass did not run).
struct PassRow {
    std::string name;
    std::vector<double> seconds;
};

Timing g_timing;
bool g_passes = false;
bool g_memory = false;
std::vector<PassRow> g_passRows;
std::vector<double> g_passSums; // seconds of all passes, per timed frame
bool g_chosen[SCENE_COUNT] = {};
std::string g_shots, g_prefix = "bench-";
const Clock::time_point g_programStart = Clock::now();

void observeFrame(double seconds, double processorSeconds) {
    Timing& t = g_timing;
    if (!t.active || int(t.frames.size()) >= t.wanted) return;
    t.frames.push_back(seconds);
    t.cpu.push_back(processorSeconds);
    t.triangles += g_scene->stats.nbDrawnTriangles;
    t.drawCalls += g_scene->stats.nbDrawCalls;
    t.lights = g_scene->stats.nbUsedLights;
    t.lowScale = std::min(t.lowScale, g_scene->stats.renderScale);
    t.highScale = std::max(t.highScale, g_scene->stats.renderScale);
    if (!g_passes) return;
    const size_t frame = t.frames.size() - 1;
    int count = 0;
    const KPassTime* passes = GetPassTimes(g_app->screen, count);
    double sum = 0;
    for (int i = 0; i < count; ++i) {
        std::string name = passes[i].pass;
        if (passes[i].detail) name += std::string(": ") + passes[i].detail;
        auto row = std::find_if(g_passRows.begin(), g_passRows.end(),
                                [&](const PassRow& r) { return r.name == name; });
        if (row == g_passRows.end())
            row = g_passRows.insert(g_passRows.end(),
                                    PassRow{name, std::vector<double>(size_t(t.wanted), 0.0)});
        row->seconds[frame] += passes[i].seconds;
        sum += passes[i].seconds;
    }
    g_passSums.push_back(sum);
}

void beginTiming(int frames) {
    g_timing.active = true;
    g_timing.wanted = frames;
    g_timing.frames.clear();
    g_timing.frames.reserve(size_t(frames));
    g_timing.cpu.clear();
    g_timing.cpu.reserve(size_t(frames));
    g_timing.triangles = g_timing.drawCalls = 0;
    g_timing.lowScale = 1;
    g_timing.highScale = 0;
    g_passRows.clear();
    g_passSums.clear();
}

bool timingDone() {
    return int(g_timing.frames.size()) >= g_timing.wanted;
}

long residentKilobytes(const char* field) {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return -1;
    char line[256];
    long kb = -1;
    const size_t n = std::strlen(field);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, field, n) == 0) kb = std::atol(line + n);
    std::fclose(f);
    return kb;
}

// Where the resident memory lies (--memory): resident kilobytes per mapping of /proc/self/smaps,
// summed by what is mapped (a library's file, "[heap]", or "anonymous" for the mappings without
// a name: the allocator's other arenas and the renderer's threads), largest first.
void reportMemory() {
    FILE* f = std::fopen("/proc/self/smaps", "r");
    if (!f) return;
    std::vector<std::pair<std::string, long>> sums;
    std::string current;
    char line[512];
    while (std::fgets(line, sizeof line, f)) {
        char range[128], perms[8], path[384] = "";
        unsigned long offset, inode;
        char dev[16];
        if (std::sscanf(line, "%127s %7s %lx %15s %lu %383[^\n]", range, perms, &offset, dev,
                        &inode, path) >= 5 &&
            std::strchr(range, '-')) {
            current = path[0] ? path : "anonymous";
            const size_t slash = current.rfind('/');
            if (slash != std::string::npos) current = current.substr(slash + 1);
        } else if (std::strncmp(line, "Rss:", 4) == 0) {
            const long kb = std::atol(line + 4);
            auto it = std::find_if(sums.begin(), sums.end(),
                                   [&](const auto& e) { return e.first == current; });
            if (it == sums.end())
                sums.emplace_back(current, kb);
            else
                it->second += kb;
        }
    }
    std::fclose(f);
    // What the scene holds on the processor's side, for comparison.
    double meshBytes = 0, textureBytes = 0, keptBytes = 0;
    for (const KMesh* m : g_scene->meshes)
        meshBytes +=
            double(m->verts.capacity() * sizeof(KVertex) + m->faces.capacity() * sizeof(KFace));
    for (const KTexture* t : g_scene->textures) {
        if (t->glId)
            textureBytes += double(t->width) * t->height * 4 * (t->filter == 2 ? 4.0 / 3 : 1);
        keptBytes += double(t->pixels.capacity());
    }
    std::sort(sums.begin(), sums.end(),
              [](const auto& a, const auto& b) { return a.second > b.second; });
    std::printf(
        "resident memory by mapping (in the heap: %zu meshes %.1f MB, textures sent %.1f MB "
        "with their mipmaps, pixels kept %.1f MB):\n",
        g_scene->meshes.size(), meshBytes / 1048576, textureBytes / 1048576, keptBytes / 1048576);
    for (const auto& [name, kb] : sums)
        if (kb >= 1024) std::printf("  %7.1f MB  %s\n", kb / 1024.0, name.c_str());
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, size_t(std::ceil(p * double(v.size()))) - 1);
    return v[i];
}

void reportPasses();

void report(const char* scene) {
    Timing& t = g_timing;
    t.active = false;
    const double n = double(std::max<size_t>(t.frames.size(), 1));
    char scale[32];
    if (t.lowScale == t.highScale)
        std::snprintf(scale, sizeof scale, "%.2f", double(t.lowScale));
    else
        std::snprintf(scale, sizeof scale, "%.2f-%.2f", double(t.lowScale), double(t.highScale));
    std::printf("%-6s %6zu %9.1f %9.1f %9.1f %11.0f %6.0f %6d %10s\n", scene, t.frames.size(),
                percentile(t.frames, 0.5) * 1000, percentile(t.frames, 0.95) * 1000,
                percentile(t.cpu, 0.5) * 1000, t.triangles / n, t.drawCalls / n, t.lights, scale);
    reportPasses();
}

double mean(const std::vector<double>& v) {
    double sum = 0;
    for (double x : v)
        sum += x;
    return v.empty() ? 0 : sum / double(v.size());
}

// Where the timed frames went, pass by pass, dearest first (--passes).
void reportPasses() {
    const Timing& t = g_timing;
    if (!g_passes || t.frames.empty()) return;
    PassRow outside{"outside the drawing (game, swap)", {}};
    for (size_t i = 0; i < t.frames.size(); ++i)
        outside.seconds.push_back(std::max(0.0, t.frames[i] - g_passSums[i]));
    g_passRows.push_back(outside);
    for (PassRow& r : g_passRows)
        r.seconds.resize(t.frames.size());
    std::sort(g_passRows.begin(), g_passRows.end(),
              [](const PassRow& a, const PassRow& b) { return mean(a.seconds) > mean(b.seconds); });
    const double frameMean = mean(t.frames);
    std::printf("  %-44s %9s %9s %6s\n", "pass", "median", "mean", "share");
    for (const PassRow& r : g_passRows)
        std::printf("  %-44s %9.2f %9.2f %5.1f%%\n", r.name.c_str(),
                    percentile(r.seconds, 0.5) * 1000, mean(r.seconds) * 1000,
                    100 * mean(r.seconds) / frameMean);
    std::printf("  %-44s %9.2f %9.2f\n", "whole frame", percentile(t.frames, 0.5) * 1000,
                frameMean * 1000);
}

bool fail(const char* what) {
    std::fprintf(stderr, "chess3d-bench: %s\n", what);
    return false;
}

// One timed frame; false (with a message) once the game's loop has ended, for instance on a
// quit signal.
bool frame(double dt = FRAME_SECONDS) {
    return runFrames(1, dt) || fail("the game's loop ended");
}

bool chosen(int scene) {
    return g_chosen[scene];
}

void shoot(const char* scene) {
    if (!g_shots.empty()) saveShot(g_shots, g_prefix + scene + ".png");
}

bool cameraResting() {
    return !IsCameraMoving();
}

void waitSeconds(double seconds, double dt = WAIT_FRAME_SECONDS) {
    runUntil([] { return false; }, seconds, dt);
}

// Hovers `entry` of the current page, clicks it and waits for the wall's turn.
bool openEntry(int page, int entry) {
    int x, y;
    if (!findEntryPixel(page, entry, x, y)) return fail("menu entry not reachable");
    movePointer(x, y);
    runFrames(5);
    if (g_ui->hoveredEntry != entry) return fail("menu entry not hovered");
    clickAt(x, y);
    waitSeconds(WALL_TURN_SECONDS);
    return true;
}

// A point of a figure-of-eight over the middle of the window, `k` frames along it: the pointer
// sweeps the wall's entries as a player's hand would.
void pointerPath(int k, int& x, int& y) {
    const double a = k * 0.05;
    x = int(g_app->width * (0.5 + 0.35 * std::sin(a)));
    y = int(g_app->height * (0.5 + 0.25 * std::sin(2 * a)));
}

// 1. The intro flight from its start, then skipped to the menu.
bool introScene(int frames) {
    if (chosen(0)) {
        // The flight lasts about eleven seconds: the steps shrink so the frames stay within it.
        const double dt = std::min(FRAME_SECONDS, 10.0 / frames);
        beginTiming(frames);
        while (!timingDone() && g_game->introRunning) {
            if (!frame(dt)) return false;
            if (int(g_timing.frames.size()) == frames / 2) shoot("intro");
        }
        report("intro");
    }
    if (g_game->introRunning) pressKey(VK_ESCAPE);
    if (!runUntil([] { return g_game->menuOpen && cameraResting(); }, 30, WAIT_FRAME_SECONDS))
        return fail("the menu never showed after the intro");
    return true;
}

// 2. The menu wall with the pointer moving over it.
bool menuScene(int frames) {
    if (!chosen(1)) return true;
    beginTiming(frames);
    for (int k = 0; !timingDone(); ++k) {
        int x, y;
        pointerPath(k, x, y);
        movePointer(x, y);
        if (!frame()) return false;
        if (k == frames / 2) shoot("menu");
    }
    report("menu");
    return true;
}

// 3. The water page, stirred with the button held.
bool waterScene(int frames) {
    if (!chosen(2)) return true;
    if (!openEntry(0, 6)) return false;
    if (!runUntil([] { return g_ui->waterShown != 0; }, 5, WAIT_FRAME_SECONDS))
        return fail("no water page");
    beginTiming(frames);
    for (int k = 0; !timingDone(); ++k) {
        int x, y;
        pointerPath(k, x, y);
        onMouseMove(MK_LBUTTON, x, y);
        if (!frame()) return false;
        if (k == frames / 2) shoot("water");
    }
    report("water");
    pressKey(VK_ESCAPE);
    waitSeconds(WALL_TURN_SECONDS);
    return true;
}

// The local player's turn with nothing moving: the computer has answered.
bool readyForMove() {
    return g_game->sideToMove == g_game->humanColour && !g_game->pieceInMotion &&
           !IsCameraMoving() && !g_game->awaitingOpponent;
}

// The next move of a fixed opening for White, or else the first legal move the board finds.
bool pickMove(int ply, int& fr, int& fc, int& tr, int& tc) {
    static const int OPENING[][4] = {{6, 4, 4, 4}, {7, 6, 5, 5}, {7, 5, 4, 2},
                                     {6, 3, 5, 3}, {7, 1, 5, 2}, {6, 7, 5, 7}};
    if (ply < int(std::size(OPENING))) {
        const int* m = OPENING[ply];
        PieceRecord* p = g_game->squares[m[0] * 8 + m[1]].piece;
        if (p && p->colour == WHITE &&
            g_game->tryMove(p, &g_game->squares[m[2] * 8 + m[3]], false)) {
            fr = m[0], fc = m[1], tr = m[2], tc = m[3];
            return true;
        }
    }
    for (PieceRecord* p : g_game->pieces) {
        if (!p || !p->square || p->colour != g_game->humanColour) continue;
        for (SquareRecord& s : g_game->squares) {
            if (!g_game->tryMove(p, &s, false)) continue;
            fr = p->row, fc = p->column, tr = s.row, tc = s.column;
            return true;
        }
    }
    return false;
}

// The texts a player reads over the board, for a picture (NAME"text".png): two more moves
// played so the list has some, the move list on, and a move typed that the board refuses, so
// the info line says why. The list and the line are put back; the moves stay.
bool textShot(int& ply) {
    for (int i = 0; i < 2; ++i) {
        int fr, fc, tr, tc;
        if (!pickMove(ply++, fr, fc, tr, tc) || !clickMove(fr, fc, tr, tc))
            return fail("a move could not be clicked");
        if (!runUntil(readyForMove, 60, WAIT_FRAME_SECONDS))
            return fail("the computer did not answer");
    }
    constexpr int KEY_MOVE_LIST = 'M';
    pressKey(KEY_MOVE_LIST);
    pressKey(VK_RETURN);
    typeText("E9");
    pressKey(VK_RETURN);
    runFrames(10);
    shoot("text");
    pressKey(VK_ESCAPE);
    pressKey(KEY_MOVE_LIST);
    return runFrames(2) || fail("the game's loop ended");
}

// 4. A game as White against the computer: moves clicked as soon as it is White's turn, so
// pieces glide and the camera turns while the frames are timed.
bool boardScene(int frames) {
    if (!chosen(3) && !chosen(4) && !chosen(5)) return true;
    if (!openEntry(0, 1) || !openEntry(1, 3) || !openEntry(COMPUTER_PAGE, 4)) return false;
    int x, y;
    if (!findEntryPixel(3, WHITE, x, y)) return fail("colour entry not reachable");
    movePointer(x, y);
    runFrames(5);
    clickAt(x, y);
    if (!runUntil([] { return !g_game->menuOpen && g_game->gameStarted && cameraResting(); }, 20,
                  WAIT_FRAME_SECONDS))
        return fail("the game did not start");
    if (!chosen(3)) return true;
    beginTiming(frames);
    bool shot = false;
    int ply = 0;
    while (!timingDone()) {
        if (readyForMove()) {
            int fr, fc, tr, tc;
            if (!pickMove(ply++, fr, fc, tr, tc)) return fail("no move to play");
            if (!clickMove(fr, fc, tr, tc)) return fail("a move could not be clicked");
        }
        if (!frame()) return false;
        // The first glide a third of a second in.
        if (!shot && g_game->pieceInMotion && g_timing.frames.size() > 20) {
            if (!runFrames(8)) return fail("the game's loop ended");
            shoot("board");
            shot = true;
        }
    }
    report("board");
    if (!runUntil(readyForMove, 60, WAIT_FRAME_SECONDS)) return fail("the computer did not answer");
    return g_shots.empty() || textShot(ply);
}

// 5. The pause view's tour round the board.
bool pauseScene(int frames) {
    if (!chosen(4)) return true;
    pressKey(VK_PAUSE);
    beginTiming(frames);
    for (int k = 0; !timingDone(); ++k) {
        if (!frame()) return false;
        if (k == frames / 2) shoot("pause");
    }
    report("pause");
    pressKey(VK_PAUSE);
    return true;
}

// The opera game (Paris 1858) to White's 11th move, loaded as the load screen loads a game: a
// middlegame where the computer's search takes a while.
bool loadMiddlegame() {
    if (!loadCoordinateMoves({"e2e4", "e7e5", "g1f3", "d7d6", "d2d4", "c8g4", "d4e5",
                              "g4f3", "d1f3", "d6e5", "f1c4", "g8f6", "f3b3", "d8e7",
                              "b1c3", "c7c6", "c1g5", "b7b5", "c3b5", "c6b5"}))
        return fail("the middlegame was not loaded");
    return runUntil(readyForMove, 60, WAIT_FRAME_SECONDS) || fail("the loaded game did not settle");
}

// 6. The computer thinking at level 6: the frames from each of three moves of the player in a
// loaded middlegame to the computer's answer on the board, with the search in-line (`beside`
// false) or beside the frame loop; `answers` gets the computer's moves. The frames "while it
// thinks" are, in-line, the ones that played its move (the search inside them) and, beside,
// the ones during which an order waited for its answer. Each is timed in real time and in the
// game thread's processor time: on a loaded machine the first shows the waits for a core too,
// the second only the work the frame asked of the game thread.
bool thinkRound(bool beside, std::vector<uint32_t>& answers) {
    constexpr int ANSWERS = 3;
    constexpr int THINK_FIRST_PLY = 100; // past the fixed opening: the first legal move
    constexpr double REAL_SECONDS_MAX = 300;
    if (!beside)
        stopThinkingBeside();
    else if (!startThinkingBeside())
        return fail("no search thread");
    startNewGame(WHITE);
    if (!runUntil(readyForMove, 60, WAIT_FRAME_SECONDS)) return fail("the new game did not start");
    if (!loadMiddlegame()) return false;
    const int loaded = g_game->record.moves.count;
    const Clock::time_point end =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(
                           std::chrono::duration<double>(REAL_SECONDS_MAX));
    std::vector<double> thinking, thinkingCpu, others;
    thinking.reserve(4096), thinkingCpu.reserve(4096), others.reserve(4096);
    for (int ply = 0; ply < ANSWERS; ++ply) {
        int fr, fc, tr, tc;
        if (!pickMove(THINK_FIRST_PLY + ply, fr, fc, tr, tc) || !clickMove(fr, fc, tr, tc))
            return fail("a move could not be clicked");
        while (g_game->record.moves.count < loaded + 2 * (ply + 1) || !readyForMove()) {
            if (Clock::now() > end) return fail("the computer did not answer");
            const bool thinkingBefore = thinkingBeside();
            const int movesBefore = g_game->record.moves.count;
            timespec cpu0{}, cpu1{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu0);
            const Clock::time_point t0 = Clock::now();
            if (!frame()) return false;
            const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu1);
            const double cpu =
                double(cpu1.tv_sec - cpu0.tv_sec) + 1e-9 * (cpu1.tv_nsec - cpu0.tv_nsec);
            const bool answered = movesBefore % 2 == 1 && g_game->record.moves.count > movesBefore;
            if (beside ? thinkingBefore || thinkingBeside() : answered) {
                thinking.push_back(seconds);
                thinkingCpu.push_back(cpu);
            } else {
                others.push_back(seconds);
            }
        }
        answers.push_back(uint32_t(g_game->record.moves[loaded + 2 * ply + 1]));
    }
    if (thinking.empty()) return fail("no frame while the computer thought");
    std::printf("think  %-8s while it thinks: %4zu frames, longest %7.1f ms (game thread %7.1f ms "
                "of processor); other frames: median %6.1f ms\n",
                beside ? "beside" : "in-line", thinking.size(),
                *std::max_element(thinking.begin(), thinking.end()) * 1000,
                *std::max_element(thinkingCpu.begin(), thinkingCpu.end()) * 1000,
                percentile(others, 0.5) * 1000);
    return true;
}

bool thinkScene() {
    if (!chosen(5)) return true;
    OpponentChoice level6;
    level6.level = 6;
    level6.openingBook = false;
    startOpponent(level6);
    std::vector<uint32_t> inLine, beside;
    const bool ok = thinkRound(false, inLine) && thinkRound(true, beside);
    stopThinkingBeside();
    startOpponent(OpponentChoice{});
    if (ok) std::printf("think  the same moves both ways: %s\n", inLine == beside ? "yes" : "NO");
    return ok;
}

int usage() {
    std::fprintf(stderr,
                 "usage: chess3d-bench [intro|menu|water|board|pause|think...] [--frames N] "
                 "[--size WxH | --fullscreen WxH] [--scale auto|S] [--shots FOLDER] "
                 "[--prefix NAME] [--passes] [--memory]\n");
    return 2;
}

// "WxH" with both sides at least 64 pixels.
bool parseSize(const std::string& text, int& w, int& h) {
    char x = 0;
    char rest = 0;
    return std::sscanf(text.c_str(), "%d%c%d%c", &w, &x, &h, &rest) == 3 &&
           (x == 'x' || x == 'X') && w >= 64 && h >= 64;
}

// The window at the size asked for; in full screen, the window is the desktop the game then
// fills with its picture. The overlay is laid out again, as after the size keys.
bool applySize(int w, int h, bool fullscreen) {
    SetScreenSize(g_app->screen, w, h);
    g_app->width = w;
    g_app->height = h;
    relayout(w, h);
    if (fullscreen) {
        toggleFullscreen();
        if (!g_app->screen->fullscreen) return fail("full screen refused");
    }
    return runFrames(1) || fail("the game's loop ended");
}

} // namespace

int main(int argc, char** argv) {
    int frames = 200;
    int width = 0, height = 0;
    bool fullscreen = false;
    float scale = gameSettings().renderScale;
    bool any = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--frames" && i + 1 < argc) {
            frames = std::atoi(argv[++i]);
            if (frames < 1) return usage();
        } else if ((a == "--size" || a == "--fullscreen") && i + 1 < argc) {
            if (!parseSize(argv[++i], width, height)) return usage();
            fullscreen = a == "--fullscreen";
        } else if (a == "--scale" && i + 1 < argc) {
            scale = parseRenderScale(argv[++i]);
            if (scale < 0) return usage();
        } else if (a == "--shots" && i + 1 < argc) {
            g_shots = argv[++i];
        } else if (a == "--prefix" && i + 1 < argc) {
            g_prefix = argv[++i];
        } else if (a == "--passes") {
            g_passes = true;
        } else if (a == "--memory") {
            g_memory = true;
        } else {
            const auto* s = std::find_if(std::begin(SCENES), std::end(SCENES),
                                         [&](const char* n) { return a == n; });
            if (s == std::end(SCENES)) return usage();
            g_chosen[s - std::begin(SCENES)] = any = true;
        }
    }
    if (!any) std::fill(std::begin(g_chosen), std::end(g_chosen) - 1, true); // all but think
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    drawOffscreenWithoutDisplay();
    gameSettings().renderScale = scale;
    KivInitDLL();
    KSetTestClock(true);
    if (!buildGame()) return 2;
    if (!runFrames(1)) return 2;
    const double startup = std::chrono::duration<double>(Clock::now() - g_programStart).count();
    if (width > 0 && !applySize(width, height, fullscreen)) return 2;
    setFrameObserver(observeFrame);
    SetPassTiming(g_app->screen, g_passes);

    int windowW = 0, windowH = 0;
    SDL_GL_GetDrawableSize(g_app->screen->window, &windowW, &windowH);
    std::printf("renderer: %s, window %d x %d, picture %d x %d\n",
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)), windowW, windowH,
                g_app->width, g_app->height);
    std::printf("%-6s %6s %9s %9s %9s %11s %6s %6s %10s\n", "scene", "frames", "median", "p95",
                "cpu", "triangles", "draws", "lights", "scale");
    const bool ok = introScene(frames) && menuScene(frames) && waterScene(frames) &&
                    boardScene(frames) && pauseScene(frames) && thinkScene();
    std::printf("start-up to first frame: %.2f s\n", startup);
    std::printf("resident memory: %.0f MB (peak %.0f MB)\n", residentKilobytes("VmRSS:") / 1024.0,
                residentKilobytes("VmHWM:") / 1024.0);
    if (g_memory) reportMemory();
    shutdownGame();
    KivFreeDLL();
    return ok ? 0 : 1;
}
