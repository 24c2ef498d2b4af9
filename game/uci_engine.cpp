// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/uci_engine.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "chess/search.h"

namespace {

// Whether `line` is `word` or starts with `word` and a blank.
bool startsWord(const char* line, const char* word) {
    const size_t n = std::strlen(word);
    return std::strncmp(line, word, n) == 0 && (line[n] == 0 || line[n] == ' ' || line[n] == '\t');
}

const char* skipBlanks(const char* s) {
    while (*s == ' ' || *s == '\t')
        ++s;
    return s;
}

// The number after the token `key` ("min", "max") in an option line, or `otherwise`.
int numberAfter(const char* line, const char* key, int otherwise) {
    const size_t n = std::strlen(key);
    for (const char* p = line; (p = std::strstr(p, key)) != nullptr; p += n) {
        const bool wordStart = p == line || p[-1] == ' ';
        if (!wordStart || (p[n] != ' ' && p[n] != '\t')) continue;
        char* end = nullptr;
        const long v = std::strtol(p + n, &end, 10);
        if (end != p + n) return int(v);
    }
    return otherwise;
}

// "option name <NAME> type ...": the options that set the engine's strength.
void readOption(UciEngine& e, const char* line) {
    const char* name = std::strstr(line, " name ");
    const char* type = std::strstr(line, " type ");
    if (!name || !type || type < name) return;
    name += 6;
    const std::string option(name, size_t(type - name));
    if (option == "Skill Level") {
        e.hasSkill = true;
        e.skillMin = numberAfter(type, "min", 0);
        e.skillMax = numberAfter(type, "max", 20);
    } else if (option == "UCI_LimitStrength") {
        e.hasLimit = true;
    } else if (option == "UCI_Elo") {
        e.hasElo = true;
        e.eloMin = numberAfter(type, "min", 0);
        e.eloMax = numberAfter(type, "max", 0);
    }
}

// Level 1 to 6 spread over [low, high]: 1 the lowest, 6 the highest.
int spread(int level, int low, int high) {
    return low + (high - low) * (level - ENGINE_LEVEL_MIN) / (ENGINE_LEVEL_MAX - ENGINE_LEVEL_MIN);
}

// The skill option reaches down to a beginner's play, where a rating limit usually starts at
// club strength: the skill option is used when the engine has both.
std::string strengthLines(UciEngine& e) {
    char line[160];
    if (e.hasSkill && e.skillMax > e.skillMin) {
        e.strength = UciStrength::SkillLevel;
        std::snprintf(line, sizeof line, "setoption name Skill Level value %d\n",
                      spread(e.level, e.skillMin, e.skillMax));
        return line;
    }
    if (e.hasLimit && e.hasElo && e.eloMax > e.eloMin) {
        e.strength = UciStrength::LimitedElo;
        if (e.level == ENGINE_LEVEL_MAX) return "setoption name UCI_LimitStrength value false\n";
        std::snprintf(line, sizeof line,
                      "setoption name UCI_LimitStrength value true\n"
                      "setoption name UCI_Elo value %d\n",
                      spread(e.level, e.eloMin, e.eloMax));
        return line;
    }
    e.strength = UciStrength::Depth;
    return "";
}

void fail(UciEngine& e, UciFailure why) {
    endChildProcess(e.process, 0);
    e.phase = UciPhase::Failed;
    e.failure = why;
    e.wantedKey = e.runningKey = e.answerKey = 0;
}

void send(UciEngine& e, const char* text) {
    if (!sendToChild(e.process, text)) fail(e, UciFailure::Ended);
}

// The wanted search goes to an idle engine. An engine with no strength option searches as deep
// as the level says (within the move time).
void startWantedSearch(UciEngine& e) {
    if (e.phase != UciPhase::Ready || e.wantedKey == 0) return;
    send(e, e.wantedPosition.c_str());
    char go[64];
    if (e.strength == UciStrength::Depth)
        std::snprintf(go, sizeof go, "go depth %d movetime %d\n", e.level, e.moveTimeMs);
    else
        std::snprintf(go, sizeof go, "go movetime %d\n", e.moveTimeMs);
    send(e, go);
    if (e.phase == UciPhase::Failed) return;
    e.phase = UciPhase::Searching;
    e.runningKey = e.wantedKey;
    e.runningStale = false;
    e.wantedKey = 0;
    e.deadlineMs = clock_ms() + e.moveTimeMs + e.graceMs;
}

// One line from the engine. Lines it may write that mean nothing here ("info ...", "id author",
// copyright banners, anything unknown) are passed over, as the protocol asks.
void readLine(UciEngine& e, const char* line) {
    line = skipBlanks(line);
    switch (e.phase) {
    case UciPhase::Starting:
        if (startsWord(line, "id") && startsWord(skipBlanks(line + 2), "name")) {
            const char* name = skipBlanks(skipBlanks(line + 2) + 4);
            if (*name) e.name.assign(name, std::min<size_t>(std::strlen(name), 40));
        } else if (startsWord(line, "option")) {
            readOption(e, line);
        } else if (startsWord(line, "uciok")) {
            const std::string lines = strengthLines(e) + "isready\n";
            send(e, lines.c_str());
            if (e.phase == UciPhase::Failed) return;
            e.phase = UciPhase::Configuring;
            e.deadlineMs = clock_ms() + e.graceMs;
        }
        break;
    case UciPhase::Configuring:
        if (startsWord(line, "readyok")) e.phase = UciPhase::Ready;
        break;
    case UciPhase::Searching:
        if (startsWord(line, "bestmove")) {
            e.phase = UciPhase::Ready;
            if (!e.runningStale) {
                const char* move = skipBlanks(line + 8);
                size_t n = 0;
                while (move[n] && move[n] != ' ' && move[n] != '\t' && n + 1 < sizeof e.answer)
                    ++n;
                std::memcpy(e.answer, move, n);
                e.answer[n] = 0;
                e.answerKey = e.runningKey;
            }
            e.runningKey = 0;
        }
        break;
    default:
        break;
    }
}

} // namespace

bool uciStart(UciEngine& engine, const std::vector<std::string>& argv, int level,
              std::string& error) {
    engine = UciEngine();
    engine.level = level < ENGINE_LEVEL_MIN   ? ENGINE_LEVEL_MIN
                   : level > ENGINE_LEVEL_MAX ? ENGINE_LEVEL_MAX
                                              : level;
    if (!argv.empty()) {
        const size_t slash = argv[0].rfind('/');
        engine.name = slash == std::string::npos ? argv[0] : argv[0].substr(slash + 1);
    }
    engine.wantedPosition.reserve(64 * 1024);
    if (!startChildProcess(engine.process, argv, error)) {
        engine.phase = UciPhase::Failed;
        engine.failure = UciFailure::NotStarted;
        return false;
    }
    engine.phase = UciPhase::Starting;
    engine.deadlineMs = clock_ms() + engine.graceMs;
    send(engine, "uci\n");
    return engine.phase != UciPhase::Failed;
}

void uciAsk(UciEngine& engine, uint64_t key, const std::string& position) {
    if (engine.phase == UciPhase::Off || engine.phase == UciPhase::Failed || key == 0) return;
    if (engine.answerKey == key || engine.wantedKey == key) return;
    if (engine.phase == UciPhase::Searching && engine.runningKey == key && !engine.runningStale)
        return;
    engine.wantedKey = key;
    engine.wantedPosition.assign(position);
    if (engine.phase == UciPhase::Searching && !engine.runningStale) {
        engine.runningStale = true;
        send(engine, "stop\n");
        return;
    }
    startWantedSearch(engine);
}

void uciPoll(UciEngine& engine) {
    reapEndedChildren();
    if (engine.phase == UciPhase::Off || engine.phase == UciPhase::Failed) return;
    if (!flushToChild(engine.process)) {
        fail(engine, UciFailure::Ended);
        return;
    }
    const char* line = nullptr;
    for (;;) {
        const ChildRead r = nextChildLine(engine.process, line);
        if (r == ChildRead::None) break;
        if (r == ChildRead::Closed) {
            fail(engine, UciFailure::Ended);
            return;
        }
        readLine(engine, line);
        if (engine.phase == UciPhase::Failed) return;
    }
    startWantedSearch(engine);
    if (engine.phase == UciPhase::Failed) return;
    const bool awaiting = engine.phase == UciPhase::Starting ||
                          engine.phase == UciPhase::Configuring ||
                          engine.phase == UciPhase::Searching;
    if (awaiting && clock_ms() > engine.deadlineMs) fail(engine, UciFailure::Silent);
}

bool uciTakeAnswer(UciEngine& engine, uint64_t key, char move[16]) {
    if (key == 0 || engine.answerKey != key) return false;
    std::memcpy(move, engine.answer, sizeof engine.answer);
    engine.answerKey = 0;
    return true;
}

bool uciSearching(const UciEngine& engine, uint64_t key) {
    if (key == 0) return false;
    return engine.wantedKey == key || (engine.phase == UciPhase::Searching &&
                                       engine.runningKey == key && !engine.runningStale);
}

void uciFail(UciEngine& engine, UciFailure why) {
    fail(engine, why);
}

void uciQuit(UciEngine& engine) {
    if (engine.phase == UciPhase::Off) return;
    if (engine.phase != UciPhase::Failed) {
        sendToChild(engine.process, "quit\n");
        endChildProcess(engine.process, 300);
    }
    reapEndedChildren();
    engine.phase = UciPhase::Off;
}
