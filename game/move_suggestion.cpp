// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/move_suggestion.h"

#include <memory>

#include "chess/position.h"
#include "chess/position_backup.h"
#include "chess/search.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/opponent.h"

namespace {

// Made on first use and kept: the suggestion key may be pressed often, and the copy is large.
PositionBackup& backup() {
    static const std::unique_ptr<PositionBackup> copy = std::make_unique<PositionBackup>();
    return *copy;
}

} // namespace

uint32_t suggest_move() {
    PositionBackup& saved = backup();
    backup_position(saved);
    const int depth = max_depth, budget = max_time_ms;
    max_depth = builtinDepth();
    max_time_ms = 33554432; // no time limit: the depth alone decides, as for the computer
    think(0);
    uint32_t best = pv_table[0][0];
    if (best != 0) best = queen_promotion_of(best);
    restore_position(saved);
    max_depth = depth;
    max_time_ms = budget;
    return best;
}

bool GameModel::suggestMoveForPlayer() {
    if (!maySuggestMove()) return false;
    if (side_to_move != humanColour) return false; // the engine is not on the player's move
    if (externalSuggestion()) return true;         // a UCI opponent answers in a later frame
    const uint32_t move = suggest_move();
    if (move == 0) return false;
    const Move m = to_move(move);
    fireHook(hooks.suggestion, int(m.from), int(m.to), SUGGESTION_SECONDS);
    return true;
}
