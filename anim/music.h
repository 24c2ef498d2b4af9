// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The menu's music (sound 0 of the bank, looping), which key N and the settings line
// "music = on|off" switch on and off. Switched off, it stops at once and the menu's page turns no
// longer start it; switched on, it starts again from its beginning. Its volume under the sounds
// of moves is the mixer's, unchanged by the switch.

// Restarts the music from its beginning, looping, when it is switched on (every menu action that
// turns the wall back or starts a game); nothing when it is off.
void playMusic();

// Key N: the music on or off, kept in the settings; the info line says which.
void toggleMusic();
