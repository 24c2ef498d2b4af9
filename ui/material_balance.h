// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The material balance under the player panel (the corner sign at the top left): "White +3" or
// "Black +3" names the side ahead on the board (pawn 1, knight and bishop 3, rook 5, queen 9);
// nothing while the material is even. Shown over the board only.

// Start-up, after the text overlay's layout: the text, hidden.
void buildMaterialBalance();

// Once per frame: the text follows the board and the window's size. Allocates nothing.
void materialBalanceStep();

// The text shown now, or "" when hidden (tests, screenshots).
const char* materialBalanceText();
