// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One game's soak run in this process: the random player's steps, each followed by a frame and
// the invariant checks, until the steps or the seconds asked for are done or an invariant fails.
// The network modes drive two of these in lockstep (soak_network.cpp).

#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "tests/soak/soak_checks.h"
#include "tests/soak/soak_player.h"
#include "tests/soak/soak_rest.h"
#include "tests/soak/soak_trace.h"

namespace soak {

struct Options {
    std::string mode; // local, network or hostile
    uint64_t seed = 1;
    long steps = 0;        // 0: run for `seconds` instead
    double seconds = 60;   // real seconds, when steps is 0
    long drawEvery = 500;  // draw one frame in this many (0: never)
    long probeEvery = 400; // a soft-lock probe starts once in this many steps, on average
    // The rest's idle passes (soak_rest.h). They add passes, and so change the course of a seed
    // a little: the seeds replayed from before they came run without them, as they were found.
    bool idlePasses = true;

    // Odd seeds play with the ambient motion off: the frame loop then rests without any frame.
    bool ambient() const { return seed % 2 == 0; }
    // The run is over after `steps` steps, or else after `seconds` real seconds.
    bool over(long stepsDone, double elapsedSeconds) const {
        return steps > 0 ? stepsDone >= steps : elapsedSeconds >= seconds;
    }
};

// The last actions, for the report of a failed invariant.
class ActionLog {
public:
    void add(long step, double gameSeconds, const std::string& text);
    void print(const char* who) const;
    const std::string& last() const { return lines_.empty() ? NONE : lines_.back(); }

private:
    static constexpr size_t KEPT = 50;
    static inline const std::string NONE;
    std::deque<std::string> lines_;
};

class Run {
public:
    Run(const Options& options, Role role, uint64_t seed);
    // One step: the player's action, the frame after it, the checks. False, with the failure in
    // failure(), when an invariant failed or the game quit.
    bool step();
    // A step in which the player keeps still (the other side's probe asked for it): only game
    // clock passes.
    bool stillStep();
    // A failure found by the caller (the network modes' agreement of the two boards): false.
    bool fail(const std::string& what);
    // Something that happened outside the player's steps (the hostile peer's bytes), for the log.
    void note(const std::string& text);

    long steps() const { return steps_; }
    long checks() const { return checks_.count() + ownChecks_; }
    const std::string& failure() const { return failure_; }
    const ActionLog& log() const { return log_; }
    Player& player() { return player_; }
    void countCheck() { ++ownChecks_; }
    // The hash of this game's trace lines so far (SOAK_TRACE or SOAK_TRACE_HASH set).
    uint64_t traceHash() const { return traceHash_.value(); }
    // Memory: the memory in use is taken as the base after the first minute; growth beyond the
    // allowance afterwards fails the run (at its end).
    bool memoryFlat(double elapsedSeconds);

private:
    bool step(Step s);

    Options options_;
    Player player_;
    Checks checks_;
    RestCheck rest_;
    ActionLog log_;
    TraceHash traceHash_;
    long steps_ = 0;
    long ownChecks_ = 0;
    std::string failure_;
    long memoryBase_ = 0;
};

// Prints the report of a failed run: seed, step, invariant and the last actions.
// `replaySteps`: what --steps must say to reach the failure again (in the network mode it counts
// both games' steps); 0 for this run's own count.
void report(const Options& options, const Run& run, const char* who, long replaySteps = 0);

} // namespace soak
