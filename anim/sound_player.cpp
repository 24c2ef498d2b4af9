// SPDX-License-Identifier: GPL-3.0-or-later
#include "anim/sound_player.h"

#include "engine/KivEngine.h"

SoundPlayer* g_sound = nullptr;

SoundPlayer::SoundPlayer() {
    for (int i = 0; i < 10; ++i)
        sounds.push(asSndCreate(0));
}

void SoundPlayer::load() {
    asSndLoad(sounds[0], 0, ".\\Zik\\3.wav");
}

void SoundPlayer::play(int index, bool loop) {
    if (index < 0 || index >= sounds.count) return;
    asSndSetTime(sounds[index], 0, 0);
    asSndPlay(sounds[index], loop ? -1 : 0);
}
