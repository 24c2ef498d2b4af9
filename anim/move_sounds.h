// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's short sounds, mixed over the music: a piece set down, a capture, a check, a mate, a
// refused move, and a chat line from the other player. They live in slots 1 to 6 of the sound
// bank (slot 0 is the music), loaded at start-up from the files the asset generator writes. Key
// V and the settings line "sounds = on|off" switch them (not the music) on and off.
//
// A move sounds once, when it has landed (after the rook's glide for a castling): a mate, else a
// check, else a capture, else the plain move. Moves of every source sound alike: the player's,
// the computer's, the other player's and a replayed game's.

#include "game/game_sounds.h"

// Start-up, after the music: the six sounds into their slots. A missing file leaves its sound
// silent (and a line in the log), as the music.
void loadGameSounds();

// Plays `sound` once from its start, when the sounds are switched on.
void playGameSound(GameSound sound);

// The board tells of a move it starts (`capture`: a piece is taken, en passant too) and of the
// end of its glide; the sound is chosen and played at the end.
void moveSoundStarted(bool capture);
void moveSoundLanded();

// Key V: the sounds on or off, kept in the settings; the info line says which.
void toggleGameSounds();

// How many times each sound was asked for while switched on (tests).
int gameSoundCount(GameSound sound);
