// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One seam for every message the board and the game record show the player: the info line of
// the text overlay, shown and timed.

// Shows `text` in the info line (visible, timed). Null does nothing.
void tellPlayer(const char* text);

// Where tellPlayer's texts go: the interface registers its info line when it is built. Until
// then (start-up, tests of the board alone) they are only remembered.
void setPlayerMessageSink(void (*show)(const char* text));

// The last text passed to tellPlayer, or null: lets tests see what the player was told without
// reading the overlay's pixels.
const char* lastPlayerMessage();

// Forgets the last text (tests that look for a message start from none).
void forgetPlayerMessage();
