// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The turn sign ("turn") and the player sign ("player") of the interface: each faces White or
// Black by turning, with its preset, towards 0 or 180 degrees.

// The turn sign faces `colour`, the side to move.
void showTurn(int colour);
// The player sign shown facing `colour`, the local player's, or hidden.
void showPlayer(bool visible, int colour);
// A new game: the menu's keys off, the turn sign to White, the player sign to the local colour.
void resetIndicators();
