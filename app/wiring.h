// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hooks through which the game model asks and tells the floors above it, installed by the
// top floor at start-up (buildGame), and by a test world that builds the objects itself.

// Fills g_game->hooks: the network session's answers for the model's questions, and the board's
// marks, the signs, the request window and the sounds for what the model tells; and, the
// Interface made, the wall's Resign entry (ScreenHooks::resign).
void installGameHooks();
