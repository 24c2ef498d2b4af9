// SPDX-License-Identifier: GPL-3.0-or-later
// The ".chs" reader: any bytes as the text of a saved game. A file is accepted only when every
// move checks out on the piece identities and on the chess engine; the check must leave the
// game in progress on the engine as it found it, and what it accepts must read back the same
// once written out as the game writes it.

#include <cstdint>
#include <string>
#include <vector>

#include "chess/fen.h"
#include "chess/move_gen.h"
#include "chess/position.h"
#include "game/saved_games.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A game in progress on the engine (1. e4 e5), for the check to leave alone.
    if (!set_position_fen("rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2"))
        __builtin_trap();
    search_ply = 0;
    (void)generate_moves();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::vector<RecordedMove> moves, again;
    static const std::string inProgress = position_fen();
    const int historyBefore = history_ply;

    const SavedGameRead read = parse_saved_game(reinterpret_cast<const char*>(data), size, moves);
    if (read == SavedGameRead::CannotOpen) __builtin_trap(); // no file is opened here
    if (position_fen() != inProgress || history_ply != historyBefore) __builtin_trap();
    if (read != SavedGameRead::Ok) return 0;

    PieceId ids[64];
    PromotedPawns promoted = 0;
    if (!check_recorded_moves(moves.data(), int(moves.size()), ids, &promoted)) __builtin_trap();
    std::string text;
    for (RecordedMove m : moves)
        text += std::to_string(m) + "\n";
    if (parse_saved_game(text.data(), text.size(), again) != SavedGameRead::Ok || again != moves)
        __builtin_trap();
    return 0;
}
