// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/resign_key.h"

#include "game/game_end_state.h"
#include "game/game_model.h"
#include "game/player_info.h"
#include "ui/text_overlay.h"

namespace {

// Why the player cannot resign the game on the board, or null when they can. The key and the
// wall entry tell the same words; a moment when something else is asked or awaited (a request,
// a whole game on its way) is refused without words, as every request key is then.
const char* resignRefused() {
    if (!g_game->gameStarted) return "No game to resign";
    if (!localGame()) return "No resigning in a network game";
    if (gameFinished()) return "Game over : R for a new game";
    return nullptr;
}

// Asks the question when nothing refuses it; the key and the wall entry differ only in which
// moments let a request be asked: the key is also refused over the menu or the pause view.
void resign(bool byKey) {
    if (!g_game) return;
    if (const char* why = resignRefused()) {
        tellPlayer(why);
        return;
    }
    if (!(byKey ? g_game->mayAskRequestByKey() : g_game->mayAskRequest())) return;
    showRequest(true, "Resign :", "are you sure ?");
    g_game->questionCode = RESIGN_QUESTION;
}

} // namespace

void resignKey() {
    resign(true);
}

void resignFromMenu() {
    resign(false);
}
