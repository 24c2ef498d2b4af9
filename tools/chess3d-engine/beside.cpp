// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/chess3d-engine/beside.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "chess/bench_suite.h"
#include "chess/engine_random.h"
#include "chess/fen.h"
#include "chess/move_gen.h"
#include "chess/search.h"
#include "chess/search_thread.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto FRAME = std::chrono::microseconds(16667); // 60 frames a second
constexpr int CANCEL_AFTER_FRAMES = 2;
constexpr uint64_t SEED = 36;

double ms_between(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// The loop's view of one order: its longest call, its longest frame, and when it answered.
struct FrameFigures {
    double longest_call_ms = 0;
    double longest_frame_ms = 0;
    double answer_ms = 0; // from the start call to the poll that took the answer
    int frames = 0;
};

// Runs frames until the answer comes, or until `cancel_after` frames and then a cancel (the
// answer is then not expected, though a short search may give it first). Each frame makes its
// one call and then sleeps to the next frame's start. With `order` null the frames make no call
// and stop after `cancel_after`: the machine's own frame times, with nothing thinking.
bool frames_until_answer(SearchThread& thread, const SearchOrder* order, int cancel_after,
                         FrameFigures& f, SearchAnswer& answer) {
    const Clock::time_point first = Clock::now();
    Clock::time_point frame_start = first;
    bool answered = false;
    for (int frame = 0;; ++frame) {
        const Clock::time_point call_start = Clock::now();
        bool done = false;
        if (order == nullptr) {
            done = frame == cancel_after;
        } else if (frame == 0) {
            if (!thread.start(*order)) return false;
        } else if (frame == cancel_after) {
            thread.cancel();
            done = true;
        } else {
            done = answered = thread.poll(answer);
        }
        const Clock::time_point call_end = Clock::now();
        f.longest_call_ms = std::max(f.longest_call_ms, ms_between(call_start, call_end));
        f.frames = frame + 1;
        if (answered) f.answer_ms = ms_between(first, call_end);
        if (done) return true;
        const Clock::time_point next = frame_start + FRAME;
        std::this_thread::sleep_until(next);
        const Clock::time_point now = Clock::now();
        f.longest_frame_ms = std::max(f.longest_frame_ms, ms_between(frame_start, now));
        frame_start = now;
    }
}

} // namespace

int run_beside(int level) {
    SearchThread thread;
    if (!thread.running()) {
        std::fprintf(stderr, "chess3d-engine: the search thread cannot start\n");
        return 1;
    }
    const SearchOrder order{level, false, 0, 33554432};
    double longest_call = 0, longest_frame = 0, longest_idle_frame = 0;
    double in_line_total = 0, beside_total = 0;
    double longest_in_line = 0;
    int differing = 0;
    for (int i = 0; i < bench_position_count; ++i) {
        if (!set_position_fen(bench_positions[i])) return 1;
        search_ply = 0;
        (void)generate_moves();
        // 1. In-line: the whole search holds the calling thread.
        seed_engine_random(SEED);
        const Clock::time_point start = Clock::now();
        const SearchAnswer direct = run_search_order(order);
        const double in_line_ms = ms_between(start, Clock::now());
        // 2. Beside the frames, answered; 3. dropped by a cancel; 4. as many frames as the
        // answer took, with nothing thinking.
        seed_engine_random(SEED);
        FrameFigures answered, cancelled, idle;
        SearchAnswer answer, dropped;
        if (!frames_until_answer(thread, &order, -1, answered, answer) ||
            !frames_until_answer(thread, &order, CANCEL_AFTER_FRAMES, cancelled, dropped) ||
            !frames_until_answer(thread, nullptr, answered.frames, idle, dropped))
            return 1;
        const bool same = answer.move == direct.move && answer.nodes == direct.nodes;
        differing += same ? 0 : 1;
        const double call = std::max(answered.longest_call_ms, cancelled.longest_call_ms);
        const double frame = std::max(answered.longest_frame_ms, cancelled.longest_frame_ms);
        std::printf("%2d  %-6s %9lld nodes  in-line %7.1f ms  beside %7.1f ms (%3d frames)  "
                    "longest call %.3f ms  longest frame %5.1f ms (idle %5.1f ms)%s\n",
                    i + 1, move_text(direct.move), static_cast<long long>(direct.nodes), in_line_ms,
                    answered.answer_ms, answered.frames, call, frame, idle.longest_frame_ms,
                    same ? "" : "  DIFFERENT ANSWER");
        longest_call = std::max(longest_call, call);
        longest_frame = std::max(longest_frame, frame);
        longest_idle_frame = std::max(longest_idle_frame, idle.longest_frame_ms);
        longest_in_line = std::max(longest_in_line, in_line_ms);
        in_line_total += in_line_ms;
        beside_total += answered.answer_ms;
    }
    std::printf("Beside: level %d, %d positions, longest call %.3f ms, longest frame %.1f ms "
                "(idle %.1f ms, %.1f ms a frame); searches in-line %.0f ms in all, longest %.0f "
                "ms; beside %.0f ms in all; %d answers differ\n",
                level, bench_position_count, longest_call, longest_frame, longest_idle_frame,
                std::chrono::duration<double, std::milli>(FRAME).count(), in_line_total,
                longest_in_line, beside_total, differing);
    return differing == 0 ? 0 : 1;
}
