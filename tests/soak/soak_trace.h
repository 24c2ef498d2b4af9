// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The per-step trace of the game's state, for replaying a seed (SOAK_TRACE=1) and for golden
// traces (SOAK_TRACE_HASH=1): a restructuring of the game that changes no behaviour keeps every
// line of every seed, so each game's lines are folded into one hash that golden_traces.txt holds.
//
// A line holds what a player could tell apart and what the game's logic decides on: the flags
// and screens (stateSummary), then the record, the selection and its markers, the question and
// the request, the info line, the move marks, the sounds, the views, the engine's position, the
// move line, the network session's pending state, the window, and a digest of the camera's and
// the pieces' poses (raw float bits, so any change of animation timing shows). It prints no
// pointer, port, path or wall-clock value, so that two runs of one seed print the same lines.

#include <cstdint>
#include <string>

namespace soak {

// The state after a step, prefixed with the role letter, the step and its action.
std::string traceLine(char role, long step, const std::string& action);

// SOAK_TRACE_HASH is set: the run prints its games' trace hashes before its summary line.
bool traceHashWanted();

// FNV-1a 64 over the lines folded in, each with its newline.
class TraceHash {
public:
    void add(const std::string& line);
    uint64_t value() const { return hash_; }

private:
    uint64_t hash_ = 14695981039346656037ull;
};

} // namespace soak
