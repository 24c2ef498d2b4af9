// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The automatic render scale: the fraction of the picture's width and height the 3D scene is
// drawn at, chosen from the frame times measured. The time a software renderer spends grows
// with the pixels it shades, so a frame drawn at scale s costs about s * s of the pixels' part
// of a frame at scale 1.
//
// The scale moves on a grid of sixteenths between a floor and KRENDER_SCALE_MAX, and only when
// the median of the last frames says so. A picture no larger than an 800 x 600 window is always
// drawn at full size: drawn smaller it shows its coarse pixels, and it costs little at full size
// anyway. Above that the floor is KRENDER_SCALE_MIN, or higher where that would draw the scene
// with fewer pixels than 720 x 540 (half of a full-HD screen's 1440 x 1080 picture each way, so
// that the floor there is 0.5). The scale moves down when the frames take clearly longer than
// the budget, up one step when even the dearest estimate of the larger scale (all of the frame's
// time growing with the pixels) stays within it. After each change the frames are measured
// afresh before the next one, and a step up that had to be taken back is not tried again for a
// while, so the picture never pumps between two sharpnesses. While the caller holds it
// (something moves on screen and a change of sharpness would show) the scale stays as it is.

constexpr float KRENDER_SCALE_MIN = 0.5f;
constexpr float KRENDER_SCALE_MAX = 1.0f;
constexpr float KRENDER_SCALE_STEP = 0.0625f;        // grid of the automatic scale
constexpr long KRENDER_SCALE_FULL_PIXELS = 800 * 600; // pictures up to this size stay at 1.0
constexpr long KRENDER_SCALE_MIN_PIXELS = 720 * 540;  // the automatic scale draws no fewer

// The lowest automatic scale for a picture of `pixels` pixels.
float KRenderScaleFloor(long pixels);

class KRenderScaler {
public:
    static constexpr double BUDGET_SECONDS = 0.028; // a frame's aim: 30 frames a second, with room
    static constexpr double SLOW_SECONDS = 0.0315;  // medians above this lower the scale
    static constexpr int WINDOW = 15;               // frames whose median decides
    static constexpr double RETRY_SECONDS = 30;     // a step up taken back waits this long
    static constexpr double REGRET_SECONDS = 5;     // ... when taken back within this time

    // Starts again at `scale` (clamped to the bounds, put on the grid), nothing measured.
    void Reset(float scale);

    // One frame drawn at the current scale took `seconds` (real time, the whole pass of the frame
    // loop) for a picture of `pixels` pixels. A picture of another size makes the scale guessed
    // again from the last frames at once (held or not: the size change shows anyway). Returns
    // the scale for the next frame, unchanged while `hold` is set.
    float Step(double seconds, long pixels, bool hold);

    float Scale() const { return scale_; }

private:
    double Median() const;
    float Floor() const { return KRenderScaleFloor(pixels_); }
    // The largest grid scale whose frame, by the estimate that all of the `seconds` measured at
    // the current scale grow with the pixels, fits the budget; at least one step below when
    // `below` is set.
    float FittingScale(double seconds, bool below) const;
    void ChangeTo(float scale);

    float scale_ = KRENDER_SCALE_MAX;
    double frames_[WINDOW] = {};        // the last frame times, seconds (a ring)
    int count_ = 0;                     // frames measured at this scale and size, up to WINDOW
    int next_ = 0;                      // ring position of the next frame
    long pixels_ = 0;                   // picture size the frames were measured at
    double clock_ = 0;                  // seconds of frames seen
    double raisedAt_ = -1e9;            // clock_ at the last step up
    float ceiling_ = KRENDER_SCALE_MAX; // not raised above this ...
    double ceilingUntil_ = 0;           // ... until clock_ reaches this
};
