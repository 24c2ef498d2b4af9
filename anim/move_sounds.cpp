// SPDX-License-Identifier: GPL-3.0-or-later
#include "anim/move_sounds.h"

#include "anim/sound_player.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "game/player_info.h"
#include "game/settings.h"

namespace {

const char* const SOUND_FILES[] = {
    ".\\Zik\\move.wav", ".\\Zik\\capture.wav", ".\\Zik\\check.wav",
    ".\\Zik\\mate.wav", ".\\Zik\\refused.wav", ".\\Zik\\chat.wav",
};
constexpr int SOUND_COUNT = int(sizeof SOUND_FILES / sizeof SOUND_FILES[0]);

int g_counts[SOUND_COUNT + 1] = {};
bool g_moveCaptures = false; // the move whose glide plays takes a piece

} // namespace

void loadGameSounds() {
    SoundPlayer* player = g_sound;
    if (!player) return;
    for (int i = 0; i < SOUND_COUNT && i + 1 < player->sounds.count; ++i)
        asSndLoad(player->sounds[i + 1], 0, SOUND_FILES[i]);
}

void playGameSound(GameSound sound) {
    if (!gameSettings().sounds) return;
    const int slot = int(sound);
    ++g_counts[slot];
    if (g_sound) g_sound->play(slot, false);
}

void moveSoundStarted(bool capture) {
    g_moveCaptures = capture;
}

void moveSoundLanded() {
    if (!g_game) return; // the board's records exist with the board (g_board)
    // The side to move is the one the move was played against (the turn ended at its start).
    const PieceRecord* king = g_game->pieceOf(g_game->sideToMove, KIND_KING, 0);
    const bool check =
        king && king->square && g_game->isAttacked(king->square, 1 - g_game->sideToMove);
    if (check)
        playGameSound(g_game->hasLegalMove(g_game->sideToMove) ? GameSound::Check
                                                               : GameSound::Mate);
    else
        playGameSound(g_moveCaptures ? GameSound::Capture : GameSound::Move);
    g_moveCaptures = false;
}

void toggleGameSounds() {
    GameSettings& settings = gameSettings();
    settings.sounds = !settings.sounds;
    if (!saveGameSettings(settingsPath()))
        Log("WARNING : could not write the settings to %s\n", settingsPath().c_str());
    tellPlayer(settings.sounds ? "Sounds on" : "Sounds off");
}

int gameSoundCount(GameSound sound) {
    return g_counts[int(sound)];
}
