// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/soak/soak_rest.h"

#include <cstring>

#include "app/frame_loop.h"
#include "app/frame_rest.h"
#include "tests/soak/soak_world.h"

namespace soak {

namespace {

constexpr double CLOCK_TOLERANCE = 1e-6;  // seconds: the test clock counts microseconds
constexpr double IDLE_BEFORE_WAKE = 2e-3; // the idle pass comes this long before the rest's end

// The last pass found the picture changed since `before`: it drew a frame for something other
// than what the rest itself schedules (the ambient motion, the statistics saying the rest
// began), or it drew none and the picture differs. (Such a frame found nothing new; the
// fingerprint after it is the picture as sent, which a real draw changes.)
bool news(uint64_t before) {
    const FramePlan& plan = lastFramePlan();
    if (plan.draw)
        return std::strcmp(plan.why, "ambient") != 0 && std::strcmp(plan.why, "label") != 0;
    return pictureFingerprint() != before;
}

std::string changed(const char* when, double seconds, double restSeconds, const FramePlan& plan) {
    return std::string("rest: the picture changed ") + when + ", " + std::to_string(seconds) +
           " s into a rest that was to last " + std::to_string(restSeconds) +
           " s, with nothing to wake the loop (" + (plan.draw ? plan.why : "not drawn") + ")";
}

} // namespace

std::string RestCheck::idlePass() {
    const double wakeIn = secondsToNextPass();
    if (!lastFramePlan().resting || wakeIn <= IDLE_BEFORE_WAKE || waitHandlesReady()) return "";
    const uint64_t before = pictureFingerprint();
    const double seconds = wakeIn - IDLE_BEFORE_WAKE;
    if (!frame(seconds, false)) return "the game quit";
    if (news(before)) return changed("in an idle pass", seconds, wakeIn, lastFramePlan());
    return "";
}

void RestCheck::beforeAction() {
    resting_ = lastFramePlan().resting;
    wakeIn_ = secondsToNextPass();
    picture_ = pictureFingerprint();
    inputs_ = frameInputCount();
}

void RestCheck::afterAction() {
    input_ = frameInputCount() != inputs_;
    woken_ = input_ || waitHandlesReady();
}

std::string RestCheck::afterFrame(double seconds) {
    const FramePlan& plan = lastFramePlan();
    if (input_ &&
        (plan.resting || (!plan.draw && secondsToNextPass() > frameLoopPeriod() + CLOCK_TOLERANCE)))
        return "rest: input came and the loop went on resting";
    if (!resting_ || woken_ || seconds >= wakeIn_ - CLOCK_TOLERANCE) return "";
    if (news(picture_)) return changed("during a step", seconds, wakeIn_, plan);
    return "";
}

} // namespace soak
