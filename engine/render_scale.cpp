// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/render_scale.h"

#include <algorithm>
#include <cmath>

namespace {

float onGrid(float scale, float floor) {
    const float clamped = std::clamp(scale, floor, KRENDER_SCALE_MAX);
    return std::floor(clamped / KRENDER_SCALE_STEP + 1e-3f) * KRENDER_SCALE_STEP;
}

} // namespace

float KRenderScaleFloor(long pixels) {
    if (pixels <= KRENDER_SCALE_FULL_PIXELS) return KRENDER_SCALE_MAX;
    const float needed = std::sqrt(float(KRENDER_SCALE_MIN_PIXELS) / float(pixels));
    const float onGridUp = std::ceil(needed / KRENDER_SCALE_STEP - 1e-3f) * KRENDER_SCALE_STEP;
    return std::clamp(onGridUp, KRENDER_SCALE_MIN, KRENDER_SCALE_MAX);
}

void KRenderScaler::Reset(float scale) {
    scale_ = onGrid(scale, KRENDER_SCALE_MIN);
    count_ = next_ = 0;
    pixels_ = 0;
    ceiling_ = KRENDER_SCALE_MAX;
    ceilingUntil_ = 0;
    raisedAt_ = -1e9;
}

double KRenderScaler::Median() const {
    double sorted[WINDOW];
    std::copy(frames_, frames_ + count_, sorted);
    std::nth_element(sorted, sorted + count_ / 2, sorted + count_);
    return sorted[count_ / 2];
}

float KRenderScaler::FittingScale(double seconds, bool below) const {
    float s = below ? scale_ - KRENDER_SCALE_STEP : scale_;
    while (s > Floor() && seconds * (s / scale_) * (s / scale_) > BUDGET_SECONDS)
        s -= KRENDER_SCALE_STEP;
    return onGrid(s, Floor());
}

void KRenderScaler::ChangeTo(float scale) {
    scale_ = onGrid(scale, Floor());
    count_ = next_ = 0;
}

float KRenderScaler::Step(double seconds, long pixels, bool hold) {
    if (!(seconds > 0)) return scale_; // a clock that did not move says nothing
    clock_ += seconds;

    // 1. A new picture size: the frames measured at the old one, scaled by the pixels, guess
    //    the new scale; from the grid's top when nothing was measured yet.
    if (pixels != pixels_) {
        const long before = pixels_;
        const double guessed =
            count_ > 0 && before > 0 && pixels > 0 ? Median() * double(pixels) / double(before) : 0;
        pixels_ = pixels;
        ChangeTo(guessed > BUDGET_SECONDS ? FittingScale(guessed, false) : scale_);
        ceiling_ = KRENDER_SCALE_MAX;
        ceilingUntil_ = 0;
    }

    // 2. The frame joins the window; held frames count too, so the decision can come as soon
    //    as the hold ends.
    frames_[next_] = seconds;
    next_ = (next_ + 1) % WINDOW;
    count_ = std::min(count_ + 1, WINDOW);
    if (hold || count_ < WINDOW) return scale_;
    if (clock_ >= ceilingUntil_) ceiling_ = KRENDER_SCALE_MAX;

    // 3. Too slow: down to where the frames should fit. A step up regretted soon after is not
    //    tried again for a while.
    const double median = Median();
    if (median > SLOW_SECONDS && scale_ > Floor()) {
        if (clock_ - raisedAt_ < REGRET_SECONDS) {
            ceiling_ = scale_ - KRENDER_SCALE_STEP;
            ceilingUntil_ = clock_ + RETRY_SECONDS;
        }
        ChangeTo(FittingScale(median, true));
        return scale_;
    }

    // 4. Fast enough that one step up fits even if the whole frame grew with the pixels.
    const float up = scale_ + KRENDER_SCALE_STEP;
    if (up <= std::min(ceiling_, KRENDER_SCALE_MAX) + 1e-4f &&
        median * (up / scale_) * (up / scale_) <= BUDGET_SECONDS) {
        ChangeTo(up);
        raisedAt_ = clock_;
    }
    return scale_;
}
