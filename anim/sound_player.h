// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's bank of sounds: ten engine sound objects, of which only the first is loaded (the
// menu music) and played. One instance (g_sound), made after the sound system is opened.

#include "game/game_array.h"

struct WSound;

struct SoundPlayer {
    GrowArray<WSound*> sounds; // 10 sounds; only sound 0 is ever loaded or played

    SoundPlayer(); // creates the ten sounds

    // Start-up step: loads ".\Zik\3.wav" into sound 0. A missing file leaves the game silent.
    void load();

    // Back to the start of sound `index`, then play it once or endlessly.
    void play(int index, bool loop);
};

// One instance for the process, made by buildGame (app/game_main.cpp) and never deleted.
extern SoundPlayer* g_sound; // music and sounds
