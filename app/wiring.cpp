#include "app/wiring.h"

#include "game/game_model.h"
#include "netplay/net_session.h"

void installGameHooks() {
    GameHooks& h = g_game->hooks;
    h.networkGame = sessionOpen;
    h.waitingForHost = sessionWaitsForHost;
    h.wholeGameExpected = sessionAwaitsWholeGame;
}
