// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The frame loop's pace: which passes draw a frame, and when the next pass runs. A pass steps the
// game (input, animations, network, timers); a frame is drawn only when the picture has something
// new, or when the ambient motion (the circling light, the turning dome) is due for its next,
// slow frame. The game rests when nothing moves by itself and nothing new waits to be shown:
// then the loop waits for input, a connection or an engine, the next ambient frame, or the next
// timer of the game, whichever comes first. Frames are never drawn closer together than the
// display's refresh.
//
// Times are seconds on the engine's clock (the test clock in tests), so the pace is the same
// whatever drives the loop.
//
// The ambient motion keeps to a budget of processor time: where its frames cost more than the
// budget allows at its own pace (a software renderer drawing the board), they come less often,
// down to a floor.
constexpr double AMBIENT_PROCESSOR_SHARE = 0.25;   // of one core, at most, for the ambient frames
constexpr double AMBIENT_LONGEST_PERIOD = 1.0 / 6; // seconds: slower, the light would jump

// What the loop knows at the end of a pass's step.
struct FrameFacts {
    double now = 0;               // when the pass began
    bool input = false;           // input or a window event since the last frame drawn
    bool changed = false;         // the picture differs from the last frame drawn (ambient aside)
    bool moving = false;          // something moves by itself: a pass is due every frame period
    double wakeWithin = -1;       // a timer falls due within this many seconds; < 0 none
    bool statisticsShown = false; // they say the game rests: a rest's first pass draws a frame
};

struct FramePlan {
    bool draw = false;    // this pass draws a frame
    bool resting = false; // nothing moves and nothing new waits: the loop waits between frames
    const char* why = ""; // what the frame shows: "input", "change", "ambient", "label"; or ""
};

class FrameRest {
public:
    // `framePeriod`: the display's refresh period, the shortest time between two frames;
    // `ambientPeriod`: between two frames of the ambient motion alone when they cost little, 0
    // when it is off; `longestRest`: the longest wait between two passes at rest.
    FrameRest(double framePeriod, double ambientPeriod, double longestRest);

    // A frame of the ambient motion alone cost `processorSeconds` (all threads): the ambient
    // period follows the recent frames' cost, to keep within AMBIENT_PROCESSOR_SHARE.
    void noteAmbientFrameCost(double processorSeconds);

    // The plan of the pass that began at facts.now.
    FramePlan plan(const FrameFacts& facts);
    // The pass that began at `start` drew its frame.
    void drawn(double start);
    // When the next pass is due, after the pass planned last (and its frame, if it drew one).
    double nextPass() const;

    double framePeriod() const { return framePeriod_; }
    double ambientPeriod() const; // now, after the frames' cost
    double lastFrame() const { return lastFrame_; }

private:
    double framePeriod_;
    double ambientPeriod_;   // at the ambient motion's own pace
    double ambientCost_ = 0; // processor seconds of its recent frames, smoothed
    double longestRest_;
    double lastFrame_ = -1e9;      // start of the pass that drew the last frame
    bool lastFrameRested_ = false; // that frame was drawn at rest
    FrameFacts facts_;             // of the last pass planned
    FramePlan plan_;
};
