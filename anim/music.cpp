// SPDX-License-Identifier: GPL-3.0-or-later
#include "anim/music.h"

#include "anim/sound_player.h"
#include "engine/KivEngine.h"
#include "game/player_info.h"
#include "game/settings.h"

namespace {

constexpr int MUSIC_SOUND = 0; // the bank's slot of the music

} // namespace

void playMusic() {
    if (gameSettings().music && g_sound) g_sound->play(MUSIC_SOUND, true);
}

void toggleMusic() {
    GameSettings& settings = gameSettings();
    settings.music = !settings.music;
    if (!saveGameSettings(settingsPath()))
        Log("WARNING : could not write the settings to %s\n", settingsPath().c_str());
    if (settings.music)
        playMusic();
    else if (g_sound && g_sound->sounds.count > MUSIC_SOUND)
        asSndStop(g_sound->sounds[MUSIC_SOUND]);
    tellPlayer(settings.music ? "Music on" : "Music off");
}
