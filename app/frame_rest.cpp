// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frame_rest.h"

#include <algorithm>

namespace {

// Timers a little early count as due: a wait rounded to whole milliseconds (SDL's) must not cost
// a pass that finds nothing to do and waits again for the remaining fraction.
constexpr double DUE_SLACK_SECONDS = 0.001;

} // namespace

FrameRest::FrameRest(double framePeriod, double ambientPeriod, double longestRest)
    : framePeriod_(framePeriod), ambientPeriod_(ambientPeriod), longestRest_(longestRest) {}

void FrameRest::noteAmbientFrameCost(double processorSeconds) {
    // Smoothed over the last few frames: one slow frame (the machine busy elsewhere) does not
    // halve the pace, a scene that stays dear does.
    constexpr double WEIGHT = 0.25;
    ambientCost_ = ambientCost_ > 0 ? ambientCost_ + WEIGHT * (processorSeconds - ambientCost_)
                                    : processorSeconds;
}

double FrameRest::ambientPeriod() const {
    if (ambientPeriod_ <= 0) return 0;
    const double affordable = ambientCost_ / AMBIENT_PROCESSOR_SHARE;
    return std::min(std::max(ambientPeriod_, affordable), AMBIENT_LONGEST_PERIOD);
}

FramePlan FrameRest::plan(const FrameFacts& facts) {
    facts_ = facts;
    FramePlan p;
    const bool fresh = facts.input || facts.changed;
    const bool soon = facts.wakeWithin >= 0 && facts.wakeWithin < framePeriod_;
    p.resting = !fresh && !facts.moving && !soon;
    // 1. A frame may follow the last one only after a refresh period: the display shows no
    //    more, and where its swap does not wait for it (a software renderer) nothing else
    //    would hold the loop back. After a frame of the rest, whose next one is far off, the
    //    first frame of the input that ends it comes at once.
    const bool mayDraw =
        lastFrameRested_ || facts.now >= lastFrame_ + framePeriod_ - DUE_SLACK_SECONDS;
    // 2. What the frame would show.
    const double ambient = ambientPeriod();
    const bool ambientDue = ambient > 0 && facts.now >= lastFrame_ + ambient - DUE_SLACK_SECONDS;
    if (facts.input)
        p.why = "input";
    else if (facts.changed)
        p.why = "change";
    else if (ambientDue)
        p.why = "ambient";
    else if (facts.statisticsShown && p.resting && !lastFrameRested_)
        p.why = "label"; // the rest begins: the statistics say so (its end brings news anyway)
    p.draw = mayDraw && *p.why != '\0';
    plan_ = p;
    return p;
}

void FrameRest::drawn(double start) {
    lastFrame_ = start;
    lastFrameRested_ = plan_.resting;
}

double FrameRest::nextPass() const {
    const double now = facts_.now;
    // A frame that waits for the refresh period comes as soon as it may.
    const bool waiting = !plan_.draw && *plan_.why != '\0';
    const double frameAllowed = lastFrame_ + framePeriod_;
    if (!plan_.resting) return waiting ? frameAllowed : now + framePeriod_;
    double next = now + longestRest_;
    if (ambientPeriod() > 0) next = std::min(next, lastFrame_ + ambientPeriod());
    if (facts_.wakeWithin >= 0) next = std::min(next, now + facts_.wakeWithin);
    if (waiting) next = std::min(next, frameAllowed);
    return std::max(next, now);
}
