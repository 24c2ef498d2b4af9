#include "game/game_model.h"

GameModel* g_game = nullptr;
