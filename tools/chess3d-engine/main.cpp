// SPDX-License-Identifier: GPL-3.0-or-later
// chess3d-engine: the chess engine on the command line.
//
//   chess3d-engine perft "<FEN>" <depth>    leaf count, time and speed
//   chess3d-engine divide "<FEN>" <depth>   the same, with one line per root move
//   chess3d-engine think "<FEN>"            the game's depth-4 search with its table output
//   chess3d-engine bench [depth]            the fixed benchmark (depth 4 by default)
//   chess3d-engine beside [level]           the search beside a frame loop (level 6 by default)
//   chess3d-engine book "<FEN>"             the opening book's moves for a position
//   chess3d-engine pgn FILE.chs             the PGN of a saved game
//   chess3d-engine import FILE.pgn [GAME]   the ".chs" lines of a PGN game (the first by default)
//   chess3d-engine uci                      a UCI session on standard input and output
//   chess3d-engine --version                the version of the package
//
// "startpos" stands for the initial position. Exit code 0 on success, 1 on a usage error or
// a position the engine refuses.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "chess/bench_suite.h"
#include "chess/fen.h"
#include "chess/notation.h"
#include "chess/opening_book.h"
#include "chess/perft.h"
#include "chess/search.h"
#include "game/pgn.h"
#include "game/pgn_import.h"
#include "game/saved_games.h"
#include "tools/chess3d-engine/beside.h"
#include "tools/chess3d-engine/uci.h"

namespace {

constexpr const char* START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

int usage() {
    std::fprintf(stderr, "usage: chess3d-engine perft|divide \"<FEN>\" <depth>\n"
                         "       chess3d-engine think \"<FEN>\"\n"
                         "       chess3d-engine bench [depth]\n"
                         "       chess3d-engine beside [level]\n"
                         "       chess3d-engine book \"<FEN>\"\n"
                         "       chess3d-engine pgn FILE.chs\n"
                         "       chess3d-engine import FILE.pgn [GAME]\n"
                         "       chess3d-engine uci\n"
                         "       chess3d-engine --version\n");
    return 1;
}

bool set_up(const char* fen) {
    if (std::strcmp(fen, "startpos") == 0) fen = START_FEN;
    if (set_position_fen(fen)) return true;
    std::fprintf(stderr, "chess3d-engine: not a playable position: %s\n", fen);
    return false;
}

bool read_depth(const char* text, int low, int high, int* depth) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != 0 || v < low || v > high) {
        std::fprintf(stderr, "chess3d-engine: depth must be %d to %d\n", low, high);
        return false;
    }
    *depth = int(v);
    return true;
}

double per_second(long long count, long long ms) {
    return ms > 0 ? count * 1000.0 / ms : 0.0;
}

// Processor time of this process in milliseconds: on a machine shared with other work it
// shows the engine's own speed where the wall clock shows the wait for the processor too.
long long cpu_ms() {
    return static_cast<long long>(std::clock()) * 1000 / CLOCKS_PER_SEC;
}

int run_perft(const char* fen, const char* depth_text, bool divide) {
    int depth;
    if (!set_up(fen) || !read_depth(depth_text, 0, 20, &depth)) return 1;
    const int64_t start = clock_ms();
    const long long cpu_start = cpu_ms();
    const uint64_t leaves = divide ? perft_divide(depth, stdout) : perft(depth);
    const long long ms = clock_ms() - start;
    const long long cpu = cpu_ms() - cpu_start;
    const auto count = static_cast<long long>(leaves);
    std::printf("perft %d: %lld nodes, %.3f s, %.0f nodes/s (cpu %.3f s, %.0f nodes/s)\n", depth,
                count, ms / 1000.0, per_second(count, ms), cpu / 1000.0, per_second(count, cpu));
    return 0;
}

int run_think(const char* fen) {
    if (!set_up(fen)) return 1;
    max_depth = 4;
    max_time_ms = 33554432;
    think(1);
    if (pv_table[0][0] == 0)
        std::printf("(No legal moves)\n");
    else
        std::printf("move %s\n", move_text(pv_table[0][0]));
    return 0;
}

int run_bench_command(const char* depth_text) {
    int depth = 4;
    if (depth_text != nullptr && !read_depth(depth_text, 1, 8, &depth)) return 1;
    static BenchEntry entries[64];
    if (bench_position_count > 64) return 1;
    const long long cpu_start = cpu_ms();
    const int64_t signature = ::run_bench(depth, entries);
    const long long cpu = cpu_ms() - cpu_start;
    if (signature < 0) {
        std::fprintf(stderr, "chess3d-engine: a bench position was refused\n");
        return 1;
    }
    long long total_ms = 0;
    for (int i = 0; i < bench_position_count; ++i) {
        std::printf("%2d  %9lld nodes  %5lld ms  (cpu %5lld ms)  %-6s %s\n", i + 1,
                    static_cast<long long>(entries[i].nodes),
                    static_cast<long long>(entries[i].time_ms),
                    static_cast<long long>(entries[i].cpu_ms), move_text(entries[i].best),
                    bench_positions[i]);
        total_ms += entries[i].time_ms;
    }
    std::printf("Bench: %lld nodes, %lld ms, %.0f nodes/s (cpu %lld ms, %.0f nodes/s)\n",
                static_cast<long long>(signature), total_ms, per_second(signature, total_ms), cpu,
                per_second(signature, cpu));
    return 0;
}

// Prints the book's size, then the position's book moves, heaviest first, with their weights
// and chances ("e7e5  e5  21  42%"), or "(not in the book)".
int run_book(const char* fen) {
    const BookSummary& book = opening_book_summary();
    std::printf("book: %d lines, %d positions", book.lines, book.positions);
    if (book.refused > 0)
        std::printf(", %d lines refused (first: move %d of \"%s\")", book.refused,
                    book.refused_at + 1, book.first_refused);
    std::printf("\n");
    if (!set_up(fen)) return 1;
    BookMove moves[BOOK_MOVES_MAX];
    const int count = book_moves(moves);
    int total = 0;
    for (int i = 0; i < count; ++i)
        total += moves[i].weight;
    for (int i = 0; i < count; ++i) {
        char san[SAN_SIZE];
        if (!move_san(moves[i].move, san)) san[0] = 0;
        std::printf("%-6s %-7s %3d  %3.0f%%\n", move_text(moves[i].move), san, moves[i].weight,
                    100.0 * moves[i].weight / total);
    }
    if (count == 0) std::printf("(not in the book)\n");
    return 0;
}

// Prints the PGN of a saved game, dated by the day the game started as the PGN copy beside it
// says ("????.??.??" when there is none).
int run_pgn(const char* path) {
    std::vector<RecordedMove> moves;
    switch (read_saved_game(path, moves)) {
    case SavedGameRead::CannotOpen:
        std::fprintf(stderr, "chess3d-engine: cannot open %s\n", path);
        return 1;
    case SavedGameRead::Damaged:
        std::fprintf(stderr, "chess3d-engine: %s is not a saved game (damaged)\n", path);
        return 1;
    case SavedGameRead::Ok:
        break;
    }
    ReplayedGame game;
    replay_recorded_game(moves.data(), int(moves.size()), game);
    PgnTags tags;
    tags.date = start_day_beside(path, moves);
    const std::string text = pgn_text(tags, game);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

// Prints game `game_text` (from 1; the first when null) of a PGN file as the lines of a ".chs"
// saved game. A game the board cannot show is refused with the game's own reason.
int run_import(const char* path, const char* game_text) {
    long game = 1;
    if (game_text != nullptr) {
        char* end = nullptr;
        game = std::strtol(game_text, &end, 10);
        if (end == game_text || *end != 0 || game < 1 || game > 1000000000) {
            std::fprintf(stderr, "chess3d-engine: the game number must be 1 or more\n");
            return 1;
        }
    }
    PgnLoaded loaded;
    const std::string why = load_pgn_game(path, int(game), loaded);
    if (!why.empty()) {
        std::fprintf(stderr, "chess3d-engine: %s: %s\n", path, why.c_str());
        return 1;
    }
    for (RecordedMove m : loaded.moves)
        std::printf("%d\n", m);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "perft") == 0) return run_perft(argv[2], argv[3], false);
    if (argc >= 4 && std::strcmp(argv[1], "divide") == 0) return run_perft(argv[2], argv[3], true);
    if (argc >= 3 && std::strcmp(argv[1], "think") == 0) return run_think(argv[2]);
    if (argc >= 2 && std::strcmp(argv[1], "bench") == 0)
        return run_bench_command(argc >= 3 ? argv[2] : nullptr);
    if ((argc == 2 || argc == 3) && std::strcmp(argv[1], "beside") == 0) {
        int level = 6;
        if (argc == 3 && !read_depth(argv[2], 1, 8, &level)) return 1;
        return run_beside(level);
    }
    if (argc == 3 && std::strcmp(argv[1], "book") == 0) return run_book(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "pgn") == 0) return run_pgn(argv[2]);
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "import") == 0)
        return run_import(argv[2], argc == 4 ? argv[3] : nullptr);
    if (argc == 2 && std::strcmp(argv[1], "uci") == 0) return run_uci(stdin, stdout);
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("chess3d-engine %s\n", CHESS3D_VERSION);
        return 0;
    }
    return usage();
}
