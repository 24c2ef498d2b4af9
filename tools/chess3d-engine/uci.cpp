// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/chess3d-engine/uci.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "chess/fen.h"
#include "chess/make_move.h"
#include "chess/notation.h"
#include "chess/position.h"
#include "chess/position_backup.h"
#include "chess/search.h"

namespace {

constexpr const char* START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr int UNLIMITED_MS = 1 << 30; // about twelve days: no time limit
constexpr int DEEPEST_ITERATION = MAX_PLY - 2;
constexpr size_t MAX_LINE = 1 << 20; // a position with the longest game's moves fits easily
// Numbers in commands are clamped to this (about 35 years in milliseconds, or that many nodes),
// so that the budget arithmetic on them cannot overflow.
constexpr int64_t MAX_NUMBER = int64_t(1) << 40;
// A move list longer than the undo stack can hold, less this room for a search, forgets its
// oldest moves.
constexpr int SEARCH_ROOM = 2 * MAX_PLY;

// What a "go" asks for.
struct GoLimits {
    int depth = DEEPEST_ITERATION;
    int64_t hard_ms = UNLIMITED_MS; // the search stops here whatever it is doing
    int64_t soft_ms = UNLIMITED_MS; // no new iteration is started past this
    int64_t nodes = -1;             // the search stops on reaching this many nodes
    bool infinite = false;          // bestmove only after "stop"
    bool ponder = false;            // the clock starts at "ponderhit"; bestmove not before it
};

// The last completed iteration, kept by the search thread for the final info line.
struct Iteration {
    int depth = 0;
    int score = 0;
    int length = 0; // moves in line
    uint32_t line[MAX_PLY] = {};
};

// The one session: its output, and the search thread's state. Every write to `out` takes
// out_lock, so that lines from the two threads never mix.
struct Session {
    std::FILE* out = nullptr;
    std::mutex out_lock;
    std::thread searcher;
    std::mutex wait_lock;
    std::condition_variable wait_stop; // wakes a search that waits for "stop" or "ponderhit"
    bool stop_seen = false;            // under wait_lock
    bool infinite = false;             // under wait_lock: the running search waits for "stop"
    bool pondering = false;            // under wait_lock: it waits for "ponderhit" or "stop"
    int64_t ponder_hard_ms = 0;        // the budgets a ponder search gets at "ponderhit"
    int64_t ponder_soft_ms = 0;
    std::atomic<int64_t> soft_deadline_ms{INT64_MAX}; // no iteration starts past it (clock_ms)
    Iteration last;                                   // search thread only
    // The position a "go" searches: the engine's state is the thread's own, so the session's
    // position is copied here before the search thread starts and set up there from the copy.
    std::unique_ptr<PositionBackup> searched = std::make_unique<PositionBackup>();
    bool position_valid = true; // false after a refused "position": go answers 0000
};
Session* g_session = nullptr;

void say(const char* line) {
    std::lock_guard<std::mutex> hold(g_session->out_lock);
    std::fputs(line, g_session->out);
    std::fputc('\n', g_session->out);
    std::fflush(g_session->out);
}

// "score cp N" or "score mate N" (N in moves, negative when the engine is being mated).
int format_score(char* at, size_t room, int score) {
    if (score > MATE_BOUND)
        return std::snprintf(at, room, "score mate %d", (MATE_SCORE - score + 1) / 2);
    if (score < -MATE_BOUND)
        return std::snprintf(at, room, "score mate %d", -(MATE_SCORE + score) / 2);
    return std::snprintf(at, room, "score cp %d", score);
}

// Appends " pv" and the line's moves to an info line being built in `line`.
size_t append_line(char* line, size_t room, size_t n, const uint32_t* moves, int count) {
    n += size_t(std::snprintf(line + n, room - n, " pv"));
    for (int j = 0; j < count && n + 8 < room; ++j)
        n += size_t(std::snprintf(line + n, room - n, " %s", move_text(moves[j])));
    return n;
}

// "info depth D [score ...] nodes N nps R time T pv ..." from a fixed buffer (nothing is
// allocated inside think).
void say_info(int depth, const int* score, const uint32_t* moves, int count) {
    char line[1024];
    const int64_t elapsed = clock_ms() - start_time_ms;
    const long long nps = elapsed > 0 ? (long long)(node_count * 1000 / elapsed) : 0;
    size_t n = size_t(std::snprintf(line, sizeof line, "info depth %d", depth));
    if (score) {
        line[n++] = ' ';
        n += size_t(format_score(line + n, sizeof line - n, *score));
    }
    n += size_t(std::snprintf(line + n, sizeof line - n, " nodes %lld nps %lld time %lld",
                              (long long)node_count, nps, (long long)elapsed));
    append_line(line, sizeof line, n, moves, count);
    say(line);
}

// The iteration report: its info line, kept for the final one, and the soft time limit.
bool report_iteration(int depth, int score) {
    Iteration& last = g_session->last;
    last.depth = depth;
    last.score = score;
    last.length = pv_length[0];
    std::memcpy(last.line, pv_table[0], sizeof last.line);
    say_info(depth, &score, last.line, last.length);
    return clock_ms() < g_session->soft_deadline_ms.load();
}

// After a search cut short (time, nodes or "stop" in the middle of an iteration): the info
// line of the move about to be played, so that the interface shows the line it comes from.
// That is the interrupted iteration's line when it got as far as choosing a move, else the
// last completed iteration's, else the move alone.
void report_final(uint32_t best) {
    const Iteration& last = g_session->last;
    const bool same_as_last =
        pv_length[0] == last.length &&
        std::memcmp(pv_table[0], last.line, sizeof(uint32_t) * size_t(last.length)) == 0;
    if (last.length > 0 && last.line[0] == best && (same_as_last || pv_length[0] == 0)) {
        say_info(last.depth, &last.score, last.line, last.length);
    } else if (pv_length[0] > 0 && pv_table[0][0] == best) {
        say_info(last.depth + 1, &pv_score, pv_table[0], pv_length[0]);
    } else {
        say_info(last.depth + 1, nullptr, &best, 1);
    }
}

// The move to play: the search's choice when it is legal here, else the first legal move (a
// search stopped before its first iteration ended has no choice yet); 0 with no legal move.
uint32_t chosen_move() {
    Move legal[MAX_LEGAL_MOVES];
    const int count = legal_moves(legal);
    if (count == 0) return 0;
    for (int i = 0; i < count; ++i)
        if (move_value(legal[i]) == pv_table[0][0]) return pv_table[0][0];
    return move_value(legal[0]);
}

void search_and_answer(GoLimits limits) {
    restore_position(*g_session->searched);
    max_depth = limits.depth;
    // A ponder search has no budget of its own: "ponderhit" sets the outside deadline.
    max_time_ms =
        limits.ponder ? UNLIMITED_MS : int(std::min<int64_t>(limits.hard_ms, UNLIMITED_MS));
    max_nodes = limits.nodes >= 0 ? limits.nodes : INT64_MAX;
    g_session->last = Iteration{};
    think(0, report_iteration);
    const bool cut_short = stop_search != 0;
    {
        // An infinite search answers after "stop" (or "quit", or the end of the input), a ponder
        // search after "ponderhit" or "stop".
        std::unique_lock<std::mutex> hold(g_session->wait_lock);
        g_session->wait_stop.wait(hold, [] {
            return g_session->stop_seen || (!g_session->infinite && !g_session->pondering);
        });
    }
    const uint32_t best = chosen_move();
    if (cut_short && best) report_final(best);
    char line[32];
    std::snprintf(line, sizeof line, "bestmove %s", best ? move_text(best) : "0000");
    say(line);
}

// Ends a running search (its bestmove is written) and waits for its thread.
void stop_search_thread() {
    if (!g_session->searcher.joinable()) return;
    stop_requested.store(true);
    {
        std::lock_guard<std::mutex> hold(g_session->wait_lock);
        g_session->stop_seen = true;
    }
    g_session->wait_stop.notify_all();
    g_session->searcher.join();
}

// A number after a keyword clamped to 0..MAX_NUMBER (strtoll itself saturates at its own
// limits), or `fallback` when it is missing or not a number.
int64_t number_after(std::istringstream& words, int64_t fallback) {
    std::string token;
    if (!(words >> token)) return fallback;
    char* end = nullptr;
    const long long v = std::strtoll(token.c_str(), &end, 10);
    if (end == token.c_str() || *end != 0) return fallback;
    return std::clamp<int64_t>(v, 0, MAX_NUMBER);
}

// The time to spend on this move out of a clock: a share of what is left (the moves to the next
// time control, or 30), most of the increment, and never closer to the flag than a margin that
// covers the interface's own delays. The soft limit stops new iterations at half of it.
void budget_from_clock(int64_t left_ms, int64_t inc_ms, int64_t moves_to_go, GoLimits& limits) {
    const int64_t margin = std::min<int64_t>(left_ms / 4, 50 + left_ms / 50);
    const int64_t moves = moves_to_go > 0 ? std::min<int64_t>(moves_to_go, 30) : 30;
    int64_t budget = left_ms / moves + inc_ms * 3 / 4;
    budget = std::min(budget, left_ms - margin);
    limits.hard_ms = std::max<int64_t>(budget, 1);
    limits.soft_ms = std::max<int64_t>(limits.hard_ms / 2, 1);
}

GoLimits parse_go(std::istringstream& words) {
    GoLimits limits;
    int64_t time_ms[2] = {-1, -1}, inc_ms[2] = {0, 0}, moves_to_go = 0, movetime = -1;
    bool limited = false; // a depth, node or mate limit ends the search by itself
    for (std::string w; words >> w;) {
        if (w == "depth") {
            limits.depth = int(std::clamp<int64_t>(number_after(words, 1), 1, DEEPEST_ITERATION));
            limited = true;
        } else if (w == "movetime") {
            movetime = number_after(words, 1000);
        } else if (w == "wtime") {
            time_ms[WHITE] = number_after(words, -1);
        } else if (w == "btime") {
            time_ms[BLACK] = number_after(words, -1);
        } else if (w == "winc") {
            inc_ms[WHITE] = number_after(words, 0);
        } else if (w == "binc") {
            inc_ms[BLACK] = number_after(words, 0);
        } else if (w == "movestogo") {
            moves_to_go = number_after(words, 0);
        } else if (w == "nodes") {
            limits.nodes = number_after(words, 1);
            limited = true;
        } else if (w == "mate") {
            // A mate in N moves lies within 2N plies.
            limits.depth =
                int(std::clamp<int64_t>(2 * number_after(words, 1), 1, DEEPEST_ITERATION));
            limited = true;
        } else if (w == "infinite") {
            limits.infinite = true;
        } else if (w == "ponder") {
            limits.ponder = true;
        }
    }
    if (limits.infinite) return limits;
    if (movetime >= 0) {
        // Spend the time given less a little for the answer to reach the interface.
        limits.hard_ms = std::max<int64_t>(movetime - std::min<int64_t>(movetime / 10, 30), 1);
    } else if (time_ms[side_to_move] >= 0) {
        budget_from_clock(time_ms[side_to_move], inc_ms[side_to_move], moves_to_go, limits);
    } else if (time_ms[opponent] >= 0) {
        // Only the other side's clock: take it as ours rather than think for ever.
        budget_from_clock(time_ms[opponent], inc_ms[opponent], moves_to_go, limits);
    } else if (!limited) {
        limits.infinite = true; // a bare "go" searches until "stop"
    }
    return limits;
}

// "position startpos|fen F [moves M...]": the position, then the moves played on it. A refused
// FEN (or a command naming neither) leaves no position to search: "go" answers "bestmove
// 0000" until a valid one comes. The moves stop at the first illegal one. Either way an info
// string says so. A move list longer than the undo stack forgets its oldest moves, which the
// search only needs for repetitions.
void set_position(std::istringstream& words) {
    std::string kind, token, fen;
    words >> kind;
    g_session->position_valid = false;
    if (kind == "startpos") {
        fen = START_FEN;
        words >> token;
    } else if (kind == "fen") {
        while (words >> token && token != "moves")
            fen += (fen.empty() ? "" : " ") + token;
    } else {
        say("info string position: startpos or fen expected");
        return;
    }
    if (!set_position_fen(fen.c_str())) {
        say(("info string position refused: " + fen).c_str());
        return;
    }
    g_session->position_valid = true;
    if (token != "moves") return;
    while (words >> token) {
        if (history_ply >= UNDO_STACK_SIZE - SEARCH_ROOM) forget_oldest_moves(history_ply / 2);
        const uint32_t move = text_move(token.c_str());
        if (move == 0 || !make_move(move)) {
            say(("info string illegal move " + token + ": the position stops before it").c_str());
            return;
        }
        search_ply = 0;
    }
}

// One line of input without its end, in `line`; false at the end of the input with nothing
// read. A NUL byte reads as a blank, so that it neither ends the line early nor joins it to
// the next. A line longer than any command is read to its end and comes back empty.
bool read_line(std::FILE* in, std::string& line) {
    line.clear();
    bool any = false, too_long = false;
    for (int c; (c = std::getc(in)) != EOF;) {
        any = true;
        if (c == '\n') break;
        if (too_long) continue;
        line += c == 0 ? ' ' : char(c);
        if (line.size() > MAX_LINE) {
            too_long = true;
            line.clear();
        }
    }
    return any;
}

// "ponderhit": the move pondered on was played. The search goes on as a normal one whose clock
// starts now.
void ponder_hit() {
    std::lock_guard<std::mutex> hold(g_session->wait_lock);
    if (!g_session->pondering) return;
    g_session->pondering = false;
    const int64_t now = clock_ms();
    stop_deadline_ms.store(now + g_session->ponder_hard_ms);
    g_session->soft_deadline_ms.store(now + g_session->ponder_soft_ms);
    g_session->wait_stop.notify_all();
}

} // namespace

int run_uci(std::FILE* in, std::FILE* out) {
    Session session;
    session.out = out;
    g_session = &session;
    init_position();

    std::string line;
    bool quit = false;
    while (!quit && read_line(in, line)) {
        std::istringstream words(line);
        std::string command;
        if (!(words >> command)) continue;
        if (command == "uci") {
            say("id name chess3d-engine");
            say("id author the chess3d team");
            say("uciok");
        } else if (command == "isready") {
            say("readyok");
        } else if (command == "ucinewgame") {
            stop_search_thread();
            init_position();
            session.position_valid = true;
        } else if (command == "position") {
            stop_search_thread();
            set_position(words);
        } else if (command == "go") {
            stop_search_thread();
            if (!session.position_valid) {
                say("bestmove 0000");
                continue;
            }
            const GoLimits limits = parse_go(words);
            stop_requested.store(false);
            stop_deadline_ms.store(INT64_MAX);
            session.soft_deadline_ms.store(limits.ponder ? INT64_MAX : clock_ms() + limits.soft_ms);
            session.stop_seen = false;
            session.infinite = limits.infinite;
            session.pondering = limits.ponder;
            session.ponder_hard_ms = limits.hard_ms;
            session.ponder_soft_ms = limits.soft_ms;
            backup_position(*session.searched);
            session.searcher = std::thread(search_and_answer, limits);
        } else if (command == "ponderhit") {
            ponder_hit();
        } else if (command == "stop") {
            stop_search_thread();
        } else if (command == "quit") {
            quit = true;
        }
        // Anything else (debug, setoption, register, garbage) is ignored.
    }
    // At the end of the input a search with limits still gives its answer; one that would
    // wait for "stop" or "ponderhit" for ever, or a "quit", ends it now.
    bool waits;
    {
        std::lock_guard<std::mutex> hold(session.wait_lock);
        waits = session.infinite || session.pondering;
    }
    if (quit || waits)
        stop_search_thread();
    else if (session.searcher.joinable())
        session.searcher.join();
    g_session = nullptr;
    return 0;
}
