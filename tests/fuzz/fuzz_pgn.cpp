// The PGN reader: any bytes as a PGN file. Each game read is refused with a reason, or becomes
// recorded moves the record's checks and the engine accept whole, which written out as PGN read
// back the same. The game in progress on the engine (1. e4 e5) is left as it was.

#include <cstdint>
#include <string>
#include <vector>

#include "chess/fen.h"
#include "chess/position.h"
#include "game/pgn.h"
#include "game/pgn_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready =
        set_position_fen("rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2");
    static const std::string inProgress = position_fen();
    if (!ready) __builtin_trap();
    for (const PgnGame& game : read_pgn_games(reinterpret_cast<const char*>(data), size, 16)) {
        std::vector<RecordedMove> moves, again;
        const std::string why = pgn_game_moves(game, moves);
        if (position_fen() != inProgress || moves.size() != (why.empty() ? game.moves.size() : 0))
            __builtin_trap();
        if (!why.empty()) continue;
        PieceId ids[64];
        PromotedPawns promoted = 0;
        ReplayedGame replayed;
        replay_recorded_game(moves.data(), int(moves.size()), replayed);
        if (!check_recorded_moves(moves.data(), int(moves.size()), ids, &promoted) ||
            replayed.refused_at >= 0)
            __builtin_trap();
        const std::string text = pgn_text(PgnTags{}, replayed);
        const std::vector<PgnGame> back = read_pgn_games(text.data(), text.size());
        if (back.size() != 1 || !pgn_game_moves(back[0], again).empty() || again != moves)
            __builtin_trap();
    }
    return 0;
}
