#include "app/wiring.h"

#include "app/resign_key.h"
#include "game/game_model.h"
#include "netplay/net_session.h"
#include "ui/interface.h"

void installGameHooks() {
    GameHooks& h = g_game->hooks;
    h.networkGame = sessionOpen;
    if (g_ui) g_ui->screens.resign = resignFromMenu; // the wall's Resign entry
}
