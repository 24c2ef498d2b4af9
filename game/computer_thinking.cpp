// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/computer_thinking.h"

#include <memory>

#include "chess/search.h"
#include "chess/search_thread.h"
#include "engine/clock.h"

namespace {

// How often a resting frame loop looks for the answer: a move comes at most this late.
constexpr double ANSWER_LOOK_SECONDS = 0.015;

struct Thinking {
    // A static owner: a program that leaves without stopThinkingBeside still stops the search
    // and joins the worker on its way out, rather than ending with a thread running.
    std::unique_ptr<SearchThread> worker;
    uint64_t key = 0;      // the position the order under way was asked for, 0 none
    int64_t sinceMs = -1;  // when it was asked
    bool askAgain = false; // an order was dropped: the turn is to be asked again
} g_thinking;

} // namespace

bool startThinkingBeside() {
    if (!g_thinking.worker) g_thinking.worker = std::make_unique<SearchThread>();
    if (g_thinking.worker->running()) return true;
    g_thinking.worker.reset();
    return false;
}

void stopThinkingBeside() {
    dropThinking();
    g_thinking.askAgain = false;
    g_thinking.worker.reset();
}

bool thinkingBesideOn() {
    return g_thinking.worker != nullptr;
}

bool thinkBeside(uint64_t key, const SearchOrder& order) {
    if (!g_thinking.worker) return false;
    if (g_thinking.key == key && g_thinking.worker->thinking()) return true;
    if (!g_thinking.worker->start(order)) return false;
    g_thinking.key = key;
    g_thinking.sinceMs = clock_ms();
    g_thinking.askAgain = false;
    return true;
}

bool thinkingBeside() {
    return g_thinking.key != 0;
}

int64_t thinkingBesideSinceMs() {
    return g_thinking.key != 0 ? g_thinking.sinceMs : -1;
}

void dropThinking() {
    if (g_thinking.key == 0) return;
    // The key goes with the order: a later turn at the same position must start a new search,
    // or it would wait for an answer that never comes.
    g_thinking.key = 0;
    g_thinking.sinceMs = -1;
    g_thinking.askAgain = true;
    if (g_thinking.worker) g_thinking.worker->cancel();
}

BesideNews thinkingBesideStep(uint64_t key, bool gameGoesOn, bool boardFree, uint32_t& move) {
    if (g_thinking.key != 0 && (g_thinking.key != key || !gameGoesOn)) dropThinking();
    if (g_thinking.key == 0) {
        if (!g_thinking.askAgain || !boardFree) return BesideNews::None;
        g_thinking.askAgain = false;
        return BesideNews::AskAgain;
    }
    KWakeWithin(ANSWER_LOOK_SECONDS);
    SearchAnswer answer;
    if (!boardFree || !g_thinking.worker->poll(answer)) return BesideNews::None;
    g_thinking.key = 0;
    g_thinking.sinceMs = -1;
    move = answer.move;
    return BesideNews::Answer;
}
