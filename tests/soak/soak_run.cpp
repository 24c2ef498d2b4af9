// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/soak/soak_run.h"
#include "tests/soak/soak_modes.h"

#include <cstdio>
#include <cstdlib>

#include "tests/soak/soak_checks.h"
#include "tests/soak/soak_trace.h"
#include "tests/soak/soak_world.h"

namespace soak {

namespace {

// Growth tolerated after the first minute: drawing at a window size not met before sets up
// buffers for it (up to some 20 MB over all sizes and full screen); a leak of even a few bytes a
// step goes far past this over a long run.
constexpr long MEMORY_ALLOWANCE_KB = 40 * 1024;
constexpr double MEMORY_BASE_SECONDS = 60;

} // namespace

void ActionLog::add(long step, double gameSeconds, const std::string& text) {
    char head[64];
    std::snprintf(head, sizeof head, "  step %ld at %.3f s: ", step, gameSeconds);
    lines_.push_back(head + text);
    if (lines_.size() > KEPT) lines_.pop_front();
}

void ActionLog::print(const char* who) const {
    std::fprintf(out(), "last %zu actions%s%s:\n", lines_.size(), who ? " of " : "",
                 who ? who : "");
    for (const std::string& line : lines_)
        std::fprintf(out(), "%s\n", line.c_str());
}

Run::Run(const Options& options, Role role, uint64_t seed)
    : options_(options), player_(seed, role) {}

bool Run::fail(const std::string& what) {
    if (failure_.empty()) failure_ = what;
    return false;
}

void Run::note(const std::string& text) {
    log_.add(steps_, gameSeconds(), text);
}

bool Run::stillStep() {
    return step(Step{"keeps still", nullptr});
}

bool Run::step() {
    Random& random = player_.random();
    if (options_.probeEvery > 0 && random.below(int(options_.probeEvery)) == 0) player_.probe();
    return step(player_.next());
}

bool Run::step(Step s) {
    ++steps_;
    Random& random = player_.random();
    if (options_.idlePasses) {
        ++ownChecks_;
        if (const std::string r = rest_.idlePass(); !r.empty()) return fail(r);
    }
    checks_.beforeAction();
    rest_.beforeAction();
    if (s.run) s.run();
    rest_.afterAction();
    const double seconds = s.seconds >= 0 ? s.seconds : random.delay();
    const bool draw = options_.drawEvery > 0 && steps_ % options_.drawEvery == 0;
    log_.add(steps_, gameSeconds(), s.text);
    if (!frame(seconds, draw)) return fail("the game quit");
    ++ownChecks_;
    if (const std::string r = rest_.afterFrame(seconds); !r.empty()) return fail(r);
    if (s.check) {
        ++ownChecks_;
        const std::string f = s.check();
        if (!f.empty()) return fail(f);
    }
    // SOAK_TRACE=1 prints the state after every step (for a replay of a failing seed);
    // SOAK_TRACE_HASH=1 folds the same lines into the run's trace hash (golden traces).
    static const bool trace = std::getenv("SOAK_TRACE") != nullptr;
    static const bool hashed = std::getenv("SOAK_TRACE_HASH") != nullptr;
    if (trace || hashed) {
        const std::string line = traceLine("LHJX"[int(player_.role())], steps_, s.text);
        if (trace) std::fprintf(out(), "%s\n", line.c_str());
        traceHash_.add(line);
    }
    const std::string f = checks_.afterStep(seconds);
    return f.empty() || fail(f);
}

bool Run::memoryFlat(double elapsedSeconds) {
    const long now = memoryInUseKilobytes();
    // SOAK_TRACE_MEMORY=N prints the memory in use every N steps (every thousand if N is not
    // a number).
    static const char* const every = std::getenv("SOAK_TRACE_MEMORY");
    static const long interval = every ? (std::atol(every) > 0 ? std::atol(every) : 1000) : 0;
    if (interval > 0 && steps_ % interval == 0)
        std::fprintf(out(), "%c %ld steps: %ld kB\n", "LHJX"[int(player_.role())], steps_, now);
    if (memoryBase_ == 0) {
        if (elapsedSeconds >= MEMORY_BASE_SECONDS) memoryBase_ = now;
        return true;
    }
    ++ownChecks_;
    if (now - memoryBase_ <= MEMORY_ALLOWANCE_KB) return true;
    char text[128];
    std::snprintf(text, sizeof text, "memory: grew from %ld kB to %ld kB after the first minute",
                  memoryBase_, now);
    return fail(text);
}

void report(const Options& options, const Run& run, const char* who, long replaySteps) {
    std::fprintf(out(), "VIOLATION in %s mode, seed %llu, step %ld%s%s: %s\n", options.mode.c_str(),
                 (unsigned long long)options.seed, run.steps(), who ? ", " : "", who ? who : "",
                 run.failure().c_str());
    std::fprintf(out(), "state: %s\n", stateSummary().c_str());
    run.log().print(who);
    std::fprintf(out(), "replay: chess3d-soak %s --seed %llu --steps %ld\n", options.mode.c_str(),
                 (unsigned long long)options.seed, replaySteps > 0 ? replaySteps : run.steps());
    std::fflush(stdout);
}

} // namespace soak
