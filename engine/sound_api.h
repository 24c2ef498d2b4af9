// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sound over SDL2 audio: wave files loaded into sound objects, played once or looping, mixed
// into one output device. Without an audio device everything still works and stays silent.

#include "platform/win32.h"

// A loaded sound and its play state. Created by asSndCreate, never freed by the game.
struct WSound;

// Opens the sound output for the window (the handle is only checked for the record). 1 when a
// device plays, 0 when the game runs silent (no device, or audio cannot start).
int KivLoadSound(HWND hwnd);

// A new, empty, silent sound (flags: 0). May be called before KivLoadSound.
WSound* asSndCreate(int flags);

// Loads a WAV file ('\' taken as '/') into the sound, converted to the mixer's format, and
// stops it. 1 on success; 0 (sound left empty and silent, a log line) when the file is missing
// or not a wave file. flags: 0.
int asSndLoad(WSound* sound, int flags, const char* path);

// Sets the play position to `milliseconds` from the start (unit: 0 for milliseconds).
// 1 on success, 0 for a null or empty sound.
int asSndSetTime(WSound* sound, int unit, int milliseconds);

// Starts the sound from its play position: `repeats` more times after the first play, or
// endlessly with -1 (0: a single play). A sound already playing carries on from its position
// with the new count. 1 when it was started, 0 for a null or empty sound.
int asSndPlay(WSound* sound, int repeats);

// Stops the sound where it is (asSndPlay starts it again from there). 1 when it was stopped, 0
// for a null or empty sound.
int asSndStop(WSound* sound);

// Stops the output and closes the device; sounds stay loaded but silent.
void KivFreeSound();

// For tests and tools: the sound is playing (position within its data).
bool asSndIsPlaying(const WSound* sound);
// Play position in bytes of the mixer's format (16-bit stereo, 44100 Hz).
long asSndGetPosition(const WSound* sound);
