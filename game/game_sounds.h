// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's short sounds, by their slot in the sound bank (anim/move_sounds.h plays them): named
// here so that the game model can ask for one through its hooks.

enum class GameSound { Move = 1, Capture, Check, Mate, Refused, Chat };
