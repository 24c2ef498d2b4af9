// SPDX-License-Identifier: GPL-3.0-or-later
// The UCI session of `chess3d-engine uci`, driven line by line through pipes as a chess
// interface drives it. Every bestmove is checked against the engine's own move generation in
// the position the session last set up, and every info line's principal variation is played
// out move by move.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "chess/notation.h"
#include "chess/search.h"
#include "chess_test_support.h"

extern char** environ;

using namespace chess_test;

namespace {

// Hang guard only: how long a line may take before the session is taken as stuck. The engine's
// own time keeping is checked through the times it reports.
constexpr int STUCK_MS = 20000;

// chess3d-engine uci as a child process with a pipe each way.
class Engine {
public:
    bool start() {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0) return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, in[1]);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        char* argv[] = {const_cast<char*>("./chess3d-engine"), const_cast<char*>("uci"), nullptr};
        const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(in[0]);
        close(out[1]);
        to_ = in[1];
        from_ = out[0];
        return rc == 0;
    }
    ~Engine() {
        if (to_ >= 0) close(to_);
        if (from_ >= 0) close(from_);
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    void send(const std::string& line) {
        const std::string text = line + "\n";
        EXPECT_EQ(write(to_, text.data(), text.size()), ssize_t(text.size()));
    }
    void close_input() {
        close(to_);
        to_ = -1;
    }
    // The next line within `ms`; false on time-out or end of output.
    bool read_line(std::string& line, int ms) {
        for (;;) {
            const size_t nl = buffer_.find('\n');
            if (nl != std::string::npos) {
                line = buffer_.substr(0, nl);
                buffer_.erase(0, nl + 1);
                return true;
            }
            pollfd p{from_, POLLIN, 0};
            if (poll(&p, 1, ms) <= 0) return false;
            char chunk[4096];
            const ssize_t n = read(from_, chunk, sizeof chunk);
            if (n <= 0) return false;
            buffer_.append(chunk, size_t(n));
        }
    }
    // Exit status once the process ends within `ms`, -1 if it does not.
    int wait_exit(int ms) {
        for (int waited = 0; waited < ms; waited += 10) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
            }
            usleep(10000);
        }
        return -1;
    }

private:
    pid_t pid_ = -1;
    int to_ = -1, from_ = -1;
    std::string buffer_;
};

// Sets up the engine in this process as a "position" command describes it.
bool set_up(const std::string& command) {
    std::istringstream words(command);
    std::string word, kind, fen;
    words >> word >> kind;
    if (kind == "startpos") {
        fen = START_FEN;
        words >> word;
    } else {
        while (words >> word && word != "moves")
            fen += (fen.empty() ? "" : " ") + word;
    }
    if (!set_position_fen(fen.c_str())) return false;
    if (word != "moves") return true;
    while (words >> word) {
        // As the engine does with a move list longer than its undo stack.
        if (history_ply >= UNDO_STACK_SIZE - 2 * MAX_PLY) forget_oldest_moves(history_ply / 2);
        const uint32_t m = text_move(word.c_str());
        if (m == 0 || !make_move(m)) return true; // the engine stops there too
        search_ply = 0;
    }
    return true;
}

std::vector<std::string> words_of(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

// Steps of a session: "> line" sends it; "< prefix" waits for a line that starts with it;
// "! prefix ms" requires that no such line comes within ms; "end" closes the input and
// requires a clean exit, "end bestmove" a bestmove before it.
struct Session {
    const char* name;
    std::vector<std::string> steps;
};

using namespace std::string_literals; // steps with a NUL byte inside

// Knights out and back `plies` times from the start: every move legal, a very long list.
std::string shuffled(int plies) {
    std::string moves = "> position startpos moves";
    for (int k = 0; k < plies; ++k)
        moves += std::string(" ") + (const char*[]){"g1f3", "g8f6", "f3g1", "f6g8"}[k % 4];
    return moves;
}

const Session SESSIONS[] = {
    {"handshake and garbage",
     {"> uci", "< id name chess3d-engine", "< uciok", "> xyzzy plugh", "> ",
      "> setoption name Hash value 16", "> isready", "< readyok", "> quit", "end"}},
    {"mate in one for the engine",
     {"> position fen k7/8/1K6/8/8/8/8/7R w - - 0 1", "> go depth 5", "< info depth 2 score mate 1",
      "< bestmove h1h8", "> quit", "end"}},
    {"mated in one whatever it plays",
     {"> position fen k7/8/1K6/8/8/8/8/7R b - - 0 1", "> go depth 4",
      "< info depth 3 score mate -1", "< bestmove a8b8", "> quit", "end"}},
    {"both sides castled in the move list",
     {"> position startpos moves e2e4 e7e5 g1f3 b8c6 f1c4 g8f6 e1g1 f8c5 d2d3 e8g8", "> go depth 3",
      "< bestmove", "> quit", "end"}},
    {"en passant and a capturing promotion in the move list",
     {"> position startpos moves e2e4 g8f6 e4e5 d7d5 e5d6 e8d7 d6c7 d7e8 c7b8q", "> isready",
      "< readyok", "> go depth 3", "< bestmove", "> quit", "end"}},
    {"no legal move",
     {"> position fen k7/2Q5/1K6/8/8/8/8/8 b - - 0 1", "> go depth 3", "< bestmove 0000", "> quit",
      "end"}},
    {"bad position and illegal moves are reported and refused",
     {"> position fen not/a/position w - - 0 1", "< info string position refused",
      "> position startpos moves e2e4 e7e5 e1e3 a7a6", "< info string illegal move e1e3",
      "> go depth 2", "< bestmove", "> position", "< info string", "> quit", "end"}},
    {"movetime",
     {"> position startpos moves d2d4 d7d5 c2c4", "> go movetime 300", "< bestmove", "> quit",
      "end"}},
    {"clock with increment",
     {"> ucinewgame", "> position startpos", "> go wtime 3000 btime 3000 winc 100 binc 100",
      "< bestmove", "> position startpos moves e2e4", "> go wtime 500 btime 40 movestogo 1",
      "< bestmove", "> quit", "end"}},
    {"stop during an infinite search",
     {"> position fen r1bq2rk/pp3pbp/2p1p1pQ/7P/3P4/2PB1N2/PP3PP1/R3K2R w KQ - 0 1",
      "> go infinite", "< info depth 3", "> isready", "< readyok", "! bestmove 300", "> stop",
      "< bestmove", "> quit", "end"}},
    {"an infinite search that found mate still waits for stop",
     {"> position fen k7/8/1K6/8/8/8/8/7R w - - 0 1", "> go infinite",
      "< info depth 2 score mate 1", "! bestmove 400", "> stop", "< bestmove h1h8", "> quit",
      "end"}},
    {"node and mate limits, and a clock for the other side only, end by themselves",
     {"> position startpos", "> go nodes 5000", "< bestmove",
      "> position fen k7/8/1K6/8/8/8/8/7R w - - 0 1", "> go mate 1", "< bestmove h1h8",
      "> position startpos moves e2e4", "> go wtime 1000", "< bestmove", "> quit", "end"}},
    {"a bare go searches until stop",
     {"> position startpos", "> go", "! bestmove 300", "> stop", "< bestmove", "> quit", "end"}},
    {"quit while thinking",
     {"> position startpos", "> go infinite", "< info depth 2", "> quit", "end"}},
    {"end of input after a search with a limit still answers",
     {"> position startpos moves g1f3", "> go depth 4", "end bestmove"}},
    {"numbers beyond any clock are clamped, not overflowed",
     {"> position startpos",
      "> go wtime 1000 btime 1000 winc 99999999999999999999 binc 99999999999999999999",
      "< bestmove", "> go movetime 300 nodes 99999999999999999999", "< bestmove",
      "> go mate 5000000000000000000", "< info depth 3", "! bestmove 200", "> stop", "< bestmove",
      "> quit", "end"}},
    {"ponderhit starts the clock; stop ends the pondering",
     {"> position startpos", "> go ponder wtime 2000 btime 2000", "< info depth 2",
      "! bestmove 300", "> ponderhit", "< bestmove", "> position fen k7/8/1K6/8/8/8/8/7R w - - 0 1",
      "> go ponder wtime 1000 btime 1000", "< info depth 2 score mate 1", "! bestmove 300",
      "> ponderhit", "< bestmove h1h8", "> go ponder btime 100 wtime 100", "> stop", "< bestmove",
      "> quit", "end"}},
    {"a NUL byte in a line does not swallow the next one",
     {"> uci\0junk"s, "< uciok", "> isready", "< readyok", "> quit", "end"}},
    {"after a refused position go answers 0000 until a valid one comes",
     {"> position fen 8/8/8/8/8/8/8/8 w - - 0 1", "> go depth 2", "< bestmove 0000",
      "> position startpos", "> go depth 2", "< bestmove", "> quit", "end"}},
    {"a move list longer than the undo stack still gets a move",
     {shuffled(12300), "> go depth 3", "< bestmove", "> quit", "end"}},
};

// The value after `key` in a line's words, or "".
std::string field(const std::vector<std::string>& w, const char* key) {
    const auto k = std::find(w.begin(), w.end(), key);
    return k != w.end() && k + 1 != w.end() ? k[1] : "";
}

// Checks an info line: its fields (no score only on the last line of a search cut short before
// its move had one) and, played from the session's position, its pv.
void check_info(const std::string& position, const std::string& line) {
    const std::vector<std::string> w = words_of(line);
    if (w.size() >= 2 && w[1] == "string") return;
    EXPECT_EQ(w[1], "depth");
    for (const char* key : {"nodes", "nps", "time"})
        EXPECT_NE(field(w, key), "") << line;
    const auto pv = std::find(w.begin(), w.end(), "pv");
    ASSERT_NE(pv, w.end()) << line;
    ASSERT_TRUE(set_up(position)) << position;
    for (auto i = pv + 1; i != w.end(); ++i) {
        const uint32_t m = text_move(i->c_str());
        ASSERT_NE(m, 0u) << "pv move " << *i << " not legal: " << line;
        ASSERT_TRUE(make_move(m));
        search_ply = 0;
    }
}

void check_bestmove(const std::string& position, const std::string& line) {
    const std::vector<std::string> w = words_of(line);
    ASSERT_EQ(w.size(), 2u) << line;
    if (position.empty()) { // the last position was refused: none stands
        EXPECT_EQ(w[1], "0000");
        return;
    }
    ASSERT_TRUE(set_up(position)) << position;
    Move legal[MAX_LEGAL_MOVES];
    if (w[1] == "0000")
        EXPECT_EQ(legal_moves(legal), 0) << position;
    else
        EXPECT_NE(text_move(w[1].c_str()), 0u) << line << " in " << position;
}

TEST(Uci, ScriptedSessions) {
    for (const Session& s : SESSIONS) {
        SCOPED_TRACE(s.name);
        Engine engine;
        ASSERT_TRUE(engine.start());
        std::string position = "position startpos";
        std::string last_info;
        int64_t movetime = -1, nodes = -1;
        // Checks every line as it arrives; true when it starts with `prefix`.
        auto take = [&](const std::string& line, const std::string& prefix) {
            if (line.rfind("info", 0) == 0) {
                check_info(position, line);
                if (line.rfind("info string", 0) != 0) last_info = line;
            }
            if (line.rfind("bestmove", 0) == 0) {
                check_bestmove(position, line);
                const std::vector<std::string> info = words_of(last_info);
                if (!info.empty() && line != "bestmove 0000") {
                    // The last info shows the line of the move played however the search ended,
                    // a node limit ends it at that count, and a time given by its own clock (the
                    // margin covers a wait for the processor on a busy machine).
                    EXPECT_EQ(field(info, "pv"), words_of(line)[1]) << last_info;
                    if (nodes >= 0) {
                        EXPECT_EQ(field(info, "nodes"), std::to_string(nodes));
                    }
                    if (movetime >= 0) {
                        EXPECT_LE(std::stoll(field(info, "time")), movetime + 500);
                    }
                }
                last_info.clear();
            }
            return line.rfind(prefix, 0) == 0;
        };
        for (const std::string& step : s.steps) {
            if (step.rfind("> ", 0) == 0) {
                const std::string line = step.substr(2);
                const std::vector<std::string> w = words_of(line);
                if (!w.empty() && w[0] == "position")
                    position = w.size() >= 2 && set_up(line) ? line : "";
                if (line.rfind("ucinewgame", 0) == 0) position = "position startpos";
                const std::string m = field(w, "movetime"), n = field(w, "nodes");
                movetime = m.empty() ? -1 : std::strtoll(m.c_str(), nullptr, 10);
                nodes = n.size() > 12 || n.empty() ? -1 : std::stoll(n); // beyond 2^40: none
                engine.send(line);
            } else if (step.rfind("< ", 0) == 0) {
                const std::string prefix = step.substr(2);
                std::string line;
                bool found = false;
                while (!found && engine.read_line(line, STUCK_MS))
                    found = take(line, prefix);
                ASSERT_TRUE(found) << "no line starting with \"" << prefix << "\"";
            } else if (step.rfind("! ", 0) == 0) {
                const std::vector<std::string> w = words_of(step.substr(2));
                std::string line;
                const int64_t until = clock_ms() + std::stoll(w[1]);
                for (int64_t left; (left = until - clock_ms()) > 0;) {
                    if (!engine.read_line(line, int(left))) break;
                    EXPECT_FALSE(take(line, w[0])) << "too early: " << line;
                }
            } else if (step.rfind("end", 0) == 0) {
                engine.close_input();
                std::string line;
                bool answered = false;
                while (engine.read_line(line, STUCK_MS))
                    answered = take(line, "bestmove") || answered;
                EXPECT_EQ(engine.wait_exit(STUCK_MS), 0);
                if (step == "end bestmove") {
                    EXPECT_TRUE(answered);
                }
            }
        }
    }
}

} // namespace
