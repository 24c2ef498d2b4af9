// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SDL key events to Windows virtual-key codes.

// Letters follow the keyboard layout (what the key types, 65-90 whatever the case); every other
// key goes by its position, as a French (AZERTY) Windows keyboard names that position: the top
// row gives the digits 48-57, the key where a US keyboard has '/' gives 223 ('!'), and so on.
// That is the layout the game's text entry tables are written for. Returns 0 for a key that
// has no code.
int VirtualKeyFromSdl(int sdlKeycode, int sdlScancode);
