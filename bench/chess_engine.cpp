// SPDX-License-Identifier: GPL-3.0-or-later
// Chess engine benchmarks. The figures the issue tracks (perft and bench nodes per second)
// come from chess3d-engine; these time the pieces one by one.

#include <benchmark/benchmark.h>

#include "chess/bench_suite.h"
#include "chess/evaluate.h"
#include "chess/fen.h"
#include "chess/make_move.h"
#include "chess/move_gen.h"
#include "chess/perft.h"
#include "chess/search.h"

namespace {

constexpr const char* KIWIPETE =
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";

void set_up(benchmark::State& state, const char* fen) {
    if (!set_position_fen(fen))
        state.SkipWithError("position refused");
}

void BM_GenerateMoves(benchmark::State& state) {
    set_up(state, KIWIPETE);
    for (auto _ : state)
        benchmark::DoNotOptimize(generate_moves());
}
BENCHMARK(BM_GenerateMoves);

void BM_GenerateCaptures(benchmark::State& state) {
    set_up(state, KIWIPETE);
    for (auto _ : state)
        benchmark::DoNotOptimize(generate_captures());
}
BENCHMARK(BM_GenerateCaptures);

// Every root move of Kiwipete made and taken back once per iteration.
void BM_MakeTakeBack(benchmark::State& state) {
    set_up(state, KIWIPETE);
    if (!generate_moves())
        state.SkipWithError("no moves");
    const int first = ply_first_move[0];
    const int last = ply_first_move[1];
    for (auto _ : state) {
        for (int i = first; i < last; ++i) {
            if (make_move(move_stack[i].move))
                take_back();
        }
    }
    state.SetItemsProcessed(state.iterations() * (last - first));
}
BENCHMARK(BM_MakeTakeBack);

void BM_Evaluate(benchmark::State& state) {
    set_up(state, KIWIPETE);
    for (auto _ : state)
        benchmark::DoNotOptimize(evaluate());
}
BENCHMARK(BM_Evaluate);

void BM_PerftStart4(benchmark::State& state) {
    set_up(state, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    uint64_t leaves = 0;
    for (auto _ : state)
        leaves += perft(4);
    state.SetItemsProcessed(int64_t(leaves));
}
BENCHMARK(BM_PerftStart4)->Unit(benchmark::kMillisecond);

// think(0) at depth 4 on one bench position, as the game calls it for the computer's move.
void BM_ThinkDepth4(benchmark::State& state) {
    const char* fen = bench_positions[state.range(0)];
    max_depth = 4;
    max_time_ms = 33554432;
    int64_t nodes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        set_up(state, fen);
        state.ResumeTiming();
        think(0);
        nodes += node_count;
    }
    state.SetItemsProcessed(nodes);
}
BENCHMARK(BM_ThinkDepth4)->Arg(0)->Arg(8)->Arg(16)->Arg(20)->Unit(benchmark::kMillisecond);

} // namespace
