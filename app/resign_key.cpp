#include "app/resign_key.h"

#include "game/game_end_state.h"
#include "game/game_model.h"
#include "ui/text_overlay.h"

void resignKey() {
    if (!localGame() || gameFinished() || !g_game->mayAskRequestByKey()) return;
    showRequest(true, "Resign :", "are you sure ?");
    g_game->questionCode = RESIGN_QUESTION;
}
