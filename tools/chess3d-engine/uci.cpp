#include "tools/chess3d-engine/uci.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "chess/fen.h"
#include "chess/make_move.h"
#include "chess/notation.h"
#include "chess/position.h"
#include "chess/search.h"

namespace {

constexpr const char* START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr int UNLIMITED_MS = 1 << 30; // about twelve days: no time limit
constexpr int DEEPEST_ITERATION = MAX_PLY - 2;
constexpr size_t MAX_LINE = 1 << 20; // a position with the longest game's moves fits easily

// What a "go" asks for.
struct GoLimits {
    int depth = DEEPEST_ITERATION;
    int64_t hard_ms = UNLIMITED_MS; // the search stops here whatever it is doing
    int64_t soft_ms = UNLIMITED_MS; // no new iteration is started past this
    int64_t nodes = -1;             // no new iteration once this many nodes are searched
    bool infinite = false;          // bestmove only after "stop"
};

// The one session: its output, and the search thread's state. Every write to `out` takes
// out_lock, so that lines from the two threads never mix.
struct Session {
    std::FILE* out = nullptr;
    std::mutex out_lock;
    std::thread searcher;
    std::mutex wait_lock;
    std::condition_variable wait_stop; // wakes an infinite search that waits for "stop"
    bool stop_seen = false;            // under wait_lock
    bool infinite = false;             // the running search waits for "stop"
    int64_t soft_stop_ms = UNLIMITED_MS;
    int64_t node_limit = -1;
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

// The iteration report: one info line from a fixed buffer (nothing allocated inside think),
// and the soft time limit.
bool report_iteration(int depth, int score) {
    char line[1024];
    const int64_t elapsed = clock_ms() - start_time_ms;
    const long long nps = elapsed > 0 ? (long long)node_count * 1000 / elapsed : 0;
    size_t n = size_t(std::snprintf(line, sizeof line, "info depth %d ", depth));
    n += size_t(format_score(line + n, sizeof line - n, score));
    n += size_t(std::snprintf(line + n, sizeof line - n, " nodes %d nps %lld time %lld pv",
                              node_count, nps, (long long)elapsed));
    for (int j = 0; j < pv_length[0] && n + 8 < sizeof line; ++j)
        n += size_t(std::snprintf(line + n, sizeof line - n, " %s", move_text(pv_table[0][j])));
    say(line);
    if (g_session->node_limit >= 0 && node_count >= g_session->node_limit) return false;
    return elapsed < g_session->soft_stop_ms;
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
    max_depth = limits.depth;
    max_time_ms = int(std::min<int64_t>(limits.hard_ms, UNLIMITED_MS));
    g_session->soft_stop_ms = limits.soft_ms;
    g_session->node_limit = limits.nodes;
    think(0, report_iteration);
    if (limits.infinite) {
        // The answer waits for "stop" (or "quit", or the end of the input).
        std::unique_lock<std::mutex> hold(g_session->wait_lock);
        g_session->wait_stop.wait(hold, [] { return g_session->stop_seen; });
    }
    const uint32_t best = chosen_move();
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

// A non-negative number after a keyword, or `fallback` when it is missing or not a number.
int64_t number_after(std::istringstream& words, int64_t fallback) {
    std::string token;
    if (!(words >> token)) return fallback;
    char* end = nullptr;
    const long long v = std::strtoll(token.c_str(), &end, 10);
    if (end == token.c_str() || *end != 0) return fallback;
    return v < 0 ? 0 : v;
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
        } else if (w == "infinite" || w == "ponder") {
            limits.infinite = true;
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

// "position startpos|fen F [moves M...]": the position, then the moves played on it. A FEN the
// engine refuses leaves the position as it was; the moves stop at the first illegal one. Either
// way an info string says so.
void set_position(std::istringstream& words) {
    std::string kind, token, fen;
    words >> kind;
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
    if (token != "moves") return;
    while (words >> token) {
        const uint32_t move = text_move(token.c_str());
        if (move == 0 || !make_move(move)) {
            say(("info string illegal move " + token + ": the position stops before it").c_str());
            return;
        }
        search_ply = 0;
    }
}

} // namespace

int run_uci(std::FILE* in, std::FILE* out) {
    Session session;
    session.out = out;
    g_session = &session;
    init_position();

    std::string line;
    char chunk[4096];
    bool quit = false, too_long = false;
    while (!quit && std::fgets(chunk, sizeof chunk, in) != nullptr) {
        // A line may come in several chunks; one longer than any command is dropped whole.
        line += chunk;
        if (line.size() > MAX_LINE) {
            too_long = true;
            line.clear();
        }
        const bool ended = std::strchr(chunk, '\n') != nullptr || std::feof(in);
        if (!ended) continue;
        if (too_long) {
            too_long = false;
            line.clear();
            continue;
        }
        std::istringstream words(line);
        line.clear();
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
        } else if (command == "position") {
            stop_search_thread();
            set_position(words);
        } else if (command == "go") {
            stop_search_thread();
            const GoLimits limits = parse_go(words);
            stop_requested.store(false);
            session.stop_seen = false;
            session.infinite = limits.infinite;
            session.searcher = std::thread(search_and_answer, limits);
        } else if (command == "stop") {
            stop_search_thread();
        } else if (command == "quit") {
            quit = true;
        }
        // Anything else (debug, setoption, register, ponderhit, garbage) is ignored.
    }
    // At the end of the input a search with limits still gives its answer; one that would
    // wait for "stop" for ever, or a "quit", ends it now.
    if (quit || session.infinite)
        stop_search_thread();
    else if (session.searcher.joinable())
        session.searcher.join();
    g_session = nullptr;
    return 0;
}
