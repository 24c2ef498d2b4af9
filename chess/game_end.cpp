#include "chess/game_end.h"

#include "chess/make_move.h"
#include "chess/move_gen.h"
#include "chess/position.h"

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

const char* game_end_result(GameEnd end) {
    switch (end) {
    case WHITE_MATES:
        return "1-0";
    case BLACK_MATES:
        return "0-1";
    case STALEMATE:
    case DRAW_BY_REPETITION:
    case DRAW_BY_FIFTY_MOVES:
        return "1/2-1/2";
    default:
        return "*";
    }
}

const char* game_end_reason(GameEnd end) {
    switch (end) {
    case WHITE_MATES:
        return "White mates";
    case BLACK_MATES:
        return "Black mates";
    case STALEMATE:
        return "Stalemate";
    case DRAW_BY_REPETITION:
        return "Draw by repetition";
    case DRAW_BY_FIFTY_MOVES:
        return "Draw by fifty move rule";
    default:
        return nullptr;
    }
}
