// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The frame loop's rest, checked around every step of the random player:
//   rest hides nothing  while the loop rests, time alone changes nothing the game shows before
//                       the loop's next pass is due (unless a socket or pipe would wake it
//                       first): a rest never begins while something moves, and no timer falls
//                       due unannounced. Whenever the last pass rested, the step begins with
//                       an idle pass just before the rest was due to end, as when the loop is
//                       woken by an event that is no input; and a step without input must leave
//                       the picture as it was when it ends before the rest would;
//   input ends it       the pass after input never rests, and draws at once or within the frame
//                       period.

#include <cstdint>
#include <string>

namespace soak {

class RestCheck {
public:
    // At the start of a step, after a pass that rested: the idle pass. Empty when the picture
    // held, else what failed.
    std::string idlePass();
    // Before the step's action: what the last pass planned.
    void beforeAction();
    // After the action, before its frame: whether it gave input, or something else would wake
    // the loop (a socket or pipe ready).
    void afterAction();
    // After the frame, `seconds` of game clock later: empty when both held, else what failed.
    std::string afterFrame(double seconds);

private:
    bool resting_ = false;
    double wakeIn_ = 0;    // game seconds until the next pass was due
    uint64_t picture_ = 0; // the picture's fingerprint then
    long inputs_ = 0;
    bool input_ = false; // the action gave input
    bool woken_ = false; // ... or something else would have woken the loop
};

} // namespace soak
