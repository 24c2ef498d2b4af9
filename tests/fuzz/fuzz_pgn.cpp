// SPDX-License-Identifier: GPL-3.0-or-later
// The PGN reader: any bytes as a PGN file. Each game read is refused with a reason, or becomes
// recorded moves the record's checks and the engine accept whole, which written out as PGN read
// back the same. The game in progress on the engine (1. e4 e5) is left as it was. The same bytes
// handed to the reader in blocks (of a size the first byte chooses, as a file is read) give the
// same games: no element is read differently for falling across two blocks. Each game's line of
// details fits the width asked for (one the first byte chooses, and a wide one) and holds no
// control character.

#include <cstdint>
#include <string>
#include <vector>

#include "chess/fen.h"
#include "chess/position.h"
#include "game/pgn.h"
#include "game/pgn_details.h"
#include "game/pgn_import.h"
#include "game/pgn_reader.h"

namespace {

struct Blocks {
    const char* text;
    size_t left;
    size_t block; // bytes handed out at a time
};

size_t nextBlock(void* source, const char** out) {
    auto* b = static_cast<Blocks*>(source);
    const size_t n = b->left < b->block ? b->left : b->block;
    *out = b->text;
    b->text += n;
    b->left -= n;
    return n;
}

bool sameGame(const PgnGame& a, const PgnGame& b) {
    return a.tags == b.tags && a.moves == b.moves && a.result == b.result &&
           a.moves_dropped == b.moves_dropped && a.tags_dropped == b.tags_dropped;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready =
        set_position_fen("rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2");
    static const std::string inProgress = position_fen();
    if (!ready) __builtin_trap();
    const char* text = reinterpret_cast<const char*>(data);
    const std::vector<PgnGame> games = read_pgn_games(text, size, 16);
    Blocks blocks{text, size, size > 0 ? size_t(1 + data[0] % 7) : 1};
    PgnReader inBlocks(nextBlock, &blocks);
    PgnGame again;
    for (const PgnGame& game : games)
        if (!inBlocks.next(&again) || !sameGame(game, again)) __builtin_trap();
    if (games.size() < 16 && inBlocks.next(nullptr)) __builtin_trap();
    for (const PgnGame& game : games)
        for (const size_t width : {size_t(size > 0 ? data[0] : 0), size_t(4000)}) {
            const std::string line = pgn_details(game, width);
            if (line.size() > width) __builtin_trap();
            for (const unsigned char byte : line)
                if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0)) __builtin_trap();
        }
    for (const PgnGame& game : games) {
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
