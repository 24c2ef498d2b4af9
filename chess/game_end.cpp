// SPDX-License-Identifier: GPL-3.0-or-later
#include "chess/game_end.h"

#include <bit>
#include <cstdint>

#include "chess/make_move.h"
#include "chess/move_gen.h"
#include "chess/position.h"

namespace {

// By GameEnd: result, comment, announcement, banner.
const GameVerdict VERDICTS[GAME_END_COUNT] = {
    {GAME_GOES_ON, "*", nullptr, nullptr, nullptr},
    {WHITE_MATES, "1-0", "White mates", "1-0 {White mates}", "White wins : checkmate"},
    {BLACK_MATES, "0-1", "Black mates", "0-1 {Black mates}", "Black wins : checkmate"},
    {STALEMATE, "1/2-1/2", "Stalemate", "1/2-1/2 {Stalemate}", "Draw : stalemate"},
    {DRAW_BY_REPETITION, "1/2-1/2", "Draw by repetition", "1/2-1/2 {Draw by repetition}",
     "Draw : repetition"},
    {DRAW_BY_FIFTY_MOVES, "1/2-1/2", "Draw by fifty move rule", "1/2-1/2 {Draw by fifty move rule}",
     "Draw : fifty move rule"},
    {DRAW_BY_INSUFFICIENT_MATERIAL, "1/2-1/2", "Insufficient material",
     "1/2-1/2 {Insufficient material}", "Draw : insufficient material"},
    {WHITE_RESIGNS, "0-1", "White resigns", "0-1 {White resigns}", "Black wins : White resigns"},
    {BLACK_RESIGNS, "1-0", "Black resigns", "1-0 {Black resigns}", "White wins : Black resigns"},
};

// The light squares: a8 (square 0) is light, and the colour changes with every step along a row
// or a column: a8 c8 e8 g8 are bits 0, 2, 4, 6 (0x55), b7 d7 f7 h7 bits 9 to 15 (0xaa).
constexpr uint64_t LIGHT_SQUARES = 0xaa55aa55aa55aa55ull;

} // namespace

GameEnd game_end() {
    bool legal = false;
    if (generate_moves()) {
        for (int i = ply_first_move[search_ply]; i < ply_first_move[search_ply + 1]; ++i) {
            if (make_move(move_stack[i].move)) {
                take_back();
                legal = true;
                break;
            }
        }
    }
    if (!legal) {
        if (!side_in_check(side_to_move)) return STALEMATE;
        return side_to_move == BLACK ? WHITE_MATES : BLACK_MATES;
    }
    if (repetition_count() == 3) return DRAW_BY_REPETITION;
    if (fifty_counter >= 100) return DRAW_BY_FIFTY_MOVES;
    return GAME_GOES_ON;
}

bool insufficient_material() {
    if ((pieces_of[PAWN] | pieces_of[ROOK] | pieces_of[QUEEN]) != 0) return false;
    const uint64_t knights = pieces_of[KNIGHT];
    const uint64_t bishops = pieces_of[BISHOP];
    if (std::popcount(knights | bishops) <= 1) return true;
    return knights == 0 && ((bishops & LIGHT_SQUARES) == 0 || (bishops & ~LIGHT_SQUARES) == 0);
}

GameVerdict judge_game() {
    const GameEnd end = game_end();
    const bool material_first =
        end == GAME_GOES_ON || end == DRAW_BY_REPETITION || end == DRAW_BY_FIFTY_MOVES;
    if (material_first && insufficient_material()) return VERDICTS[DRAW_BY_INSUFFICIENT_MATERIAL];
    return VERDICTS[end];
}

GameVerdict game_verdict(GameEnd end) {
    return end >= 0 && end < GAME_END_COUNT ? VERDICTS[end] : VERDICTS[GAME_GOES_ON];
}

GameEnd resignation_by(int colour) {
    return colour == WHITE ? WHITE_RESIGNS : BLACK_RESIGNS;
}

const char* game_end_result(GameEnd end) {
    return game_verdict(end).result;
}

const char* game_end_reason(GameEnd end) {
    return game_verdict(end).comment;
}
