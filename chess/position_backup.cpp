// SPDX-License-Identifier: GPL-3.0-or-later
#include "chess/position_backup.h"

#include <cstring>

void backup_position(PositionBackup& b) {
    std::memcpy(b.color, square_color, sizeof b.color);
    std::memcpy(b.piece, square_piece, sizeof b.piece);
    b.side = side_to_move;
    b.other = opponent;
    b.rights = castle_rights;
    b.ep = ep_square;
    b.fifty = fifty_counter;
    b.ply = search_ply;
    b.hply = history_ply;
    b.start_number = start_move_number;
    std::memcpy(b.first_move, ply_first_move, sizeof b.first_move);
    std::memcpy(b.moves, move_stack, sizeof b.moves);
    const int kept = history_ply < 0                 ? 0
                     : history_ply > UNDO_STACK_SIZE ? UNDO_STACK_SIZE
                                                     : history_ply;
    std::memcpy(b.undo, undo_stack, sizeof(UndoRecord) * size_t(kept));
}

void restore_position(const PositionBackup& b) {
    std::memcpy(square_color, b.color, sizeof square_color);
    std::memcpy(square_piece, b.piece, sizeof square_piece);
    side_to_move = b.side;
    opponent = b.other;
    castle_rights = b.rights;
    ep_square = b.ep;
    fifty_counter = b.fifty;
    search_ply = b.ply;
    history_ply = b.hply;
    start_move_number = b.start_number;
    std::memcpy(ply_first_move, b.first_move, sizeof ply_first_move);
    std::memcpy(move_stack, b.moves, sizeof move_stack);
    const int kept = b.hply < 0 ? 0 : b.hply > UNDO_STACK_SIZE ? UNDO_STACK_SIZE : b.hply;
    std::memcpy(undo_stack, b.undo, sizeof(UndoRecord) * size_t(kept));
    sync_position();
}
