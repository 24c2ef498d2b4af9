// The completion callback of the camera's turn towards the side to move.

#include "anim/anim_manager.h"
#include "app/may_act.h"
#include "game/game_record.h"

void ComputerTurnCallback() {
    // A flight cut short by the menu or the pause hands this on, and their closing answers
    // instead; a turn of the camera that ends while a piece still glides leaves the answer to
    // the glide's end. Never in a network game: the peer moves.
    computerTurnIfDue();
}
