#include "game/game_model.h"

GameModel* g_game = nullptr;

bool localGame() {
    return !g_game || !g_game->networkGame();
}
