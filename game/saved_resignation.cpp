// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/saved_resignation.h"

#include <string>

#include "game/pgn.h"
#include "game/pgn_import.h"
#include "game/pgn_reader.h"

GameEnd resignation_beside(const char* chs_path, const std::vector<RecordedMove>& moves) {
    if (!chs_path || moves.empty()) return GAME_GOES_ON;
    PgnGame copy;
    if (!read_pgn_game(pgn_path_beside(chs_path).c_str(), 1, copy)) return GAME_GOES_ON;
    std::vector<RecordedMove> copied;
    if (!pgn_game_moves(copy, copied).empty() || copied != moves) return GAME_GOES_ON;
    // The movetext's result, or the Result tag when the movetext has none.
    const std::string* tag = copy.tag("Result");
    const std::string result = !copy.result.empty() ? copy.result : (tag ? *tag : "");
    if (result == "1-0") return BLACK_RESIGNS;
    if (result == "0-1") return WHITE_RESIGNS;
    return GAME_GOES_ON;
}
