// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A chess engine that speaks UCI (the Universal Chess Interface: stockfish, gnuchess --uci...),
// run as a child process and driven from the frame loop: every call here returns at once, and
// the engine's answers are picked up by uciPoll in later frames.
//
// The engine is started, told its strength and asked one search at a time. A search is asked for
// a position key (the caller's name for the position and the purpose of the search); a later ask
// for another key stops the running search, whose answer is then thrown away, and starts the new
// one. An engine that ends, cannot be started, or does not answer in time fails for good: its
// phase becomes Failed with the reason, and the caller plays on without it.

#include <cstdint>
#include <string>
#include <vector>

#include "game/child_process.h"

constexpr int ENGINE_LEVEL_MIN = 1;
constexpr int ENGINE_LEVEL_MAX = 6;
constexpr int ENGINE_LEVEL_DEFAULT = 4;

enum class UciPhase {
    Off,         // no engine
    Starting,    // "uci" sent, waiting for "uciok"
    Configuring, // strength set, "isready" sent, waiting for "readyok"
    Ready,       // idle
    Searching,   // "go" sent, waiting for "bestmove"
    Failed,      // gone for good (failure says why)
};

enum class UciFailure {
    None,
    NotStarted, // the program is missing or cannot run
    Ended,      // it ended or closed its output
    Silent,     // it did not answer in time
    BadMove,    // it answered a move that is not legal here (set by the caller, uciFail)
};

// How the engine is told the level: its own skill option, a limited rating, or (an engine with
// neither) the depth of its search.
enum class UciStrength { SkillLevel, LimitedElo, Depth };

struct UciEngine {
    ChildProcess process;
    UciPhase phase = UciPhase::Off;
    UciFailure failure = UciFailure::None;
    std::string name; // its "id name", else the program's name
    int level = ENGINE_LEVEL_DEFAULT;
    int moveTimeMs = 1000;  // thinking time asked for each move
    int graceMs = 10000;    // beyond the move time (and for starting) before it is silent
    int64_t deadlineMs = 0; // clock_ms by which the awaited answer must have come

    // Options the engine offered.
    bool hasSkill = false, hasLimit = false, hasElo = false;
    int skillMin = 0, skillMax = 20, eloMin = 0, eloMax = 0;
    UciStrength strength = UciStrength::Depth;

    // The searches.
    std::string wantedPosition; // "position ..." line of the search to run next
    uint64_t wantedKey = 0;     // its key; 0: none wanted
    uint64_t runningKey = 0;    // key of the search the engine runs (Searching)
    bool runningStale = false;  // its answer is to be thrown away (stop sent)
    uint64_t answerKey = 0;     // key of the last answer, 0 when none is kept
    char answer[16] = "";       // that answer's move, as the engine wrote it
};

// Starts the engine (`argv`: program and arguments) at `level` (1 to 6) and sends "uci". False
// when it cannot be started; the phase is then Failed (NotStarted) and `error` says why.
bool uciStart(UciEngine& engine, const std::vector<std::string>& argv, int level,
              std::string& error);

// Asks for a search of `position` (a whole "position startpos moves ..." line) under `key` (not
// 0). Nothing happens when that search already runs or its answer is kept; a running search of
// another key is stopped first.
void uciAsk(UciEngine& engine, uint64_t key, const std::string& position);

// Once per frame: reads what the engine wrote, moves the phases on, starts the wanted search
// when the engine is free, and fails an engine that ended or missed its deadline.
void uciPoll(UciEngine& engine);

// The answer for `key`, if it has come: copied to `move` (coordinate text as the engine wrote
// it, "e2e4", or "0000" / "(none)") and forgotten. False when it has not come.
bool uciTakeAnswer(UciEngine& engine, uint64_t key, char move[16]);

// Whether a search for `key` is under way (asked and not answered).
bool uciSearching(const UciEngine& engine, uint64_t key);

// The engine fails for good with `why`: it is killed and never asked again.
void uciFail(UciEngine& engine, UciFailure why);

// At exit: "quit", then a short wait for the engine to end by itself before it is killed.
void uciQuit(UciEngine& engine);
