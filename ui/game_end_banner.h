// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The result banner: over a finished game, the verdict's words in large letters at the top of
// the picture ("White wins : checkmate", "Draw : insufficient material"), shown whenever the
// board is in view and hidden under the menu, the pause tour and the intro.

// Every frame: the banner follows the game's verdict (game/game_end_state.h) and the window's
// size; over a finished game the "TO MOVE" sign is hidden, and back when the game goes on again.
// Made on first use; nothing is allocated afterwards.
void gameEndBannerStep();

// The banner's words while it shows, or null (lets the soak harness and tests compare it with
// the verdict without reading pixels).
const char* gameEndBannerShown();
