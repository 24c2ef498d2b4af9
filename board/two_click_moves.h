// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The mouse's clicks on the board in the number the player chose for a move. With "moves = two
// clicks" in the settings, the click that chooses a target makes the confirming click itself at
// once, through the same selection steps as a typed move's third click: a network peer still
// receives a move's three clicks. Typed moves, the replay's agreed move and the peer's clicks
// keep their three.

class KNodeGraph;

// The mouse's click on a node tagged 1 to 7 (a square or a piece): onBoardClick, then, with two
// clicks chosen, the click on the target that click has just chosen.
void mouseClickOnBoard(KNodeGraph* node);
