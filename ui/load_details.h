// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The line under the load screen's list that says which game of a PGN file is selected: its
// players, event, year, result and length (pgn_details.h), on a panel of its own below the list's
// panel, which keeps its width. The game is read by the file worker: a PGN file may be large, and
// the selection may run over many games while the Down key is held.

// The hidden line and its panel, made with the overlay's texts (layout) for the scene being built.
void buildLoadDetails();

// The selection or the list changed (the lines on screen were shown again): the details of the
// selected line, shown once read; hidden for a saved game and while nothing is read yet. Nothing
// shows unless the load screen is open.
void showLoadDetails();

// The screen closes: the line and its panel hide, and any reading under way is dropped.
void hideLoadDetails();

// The window's size changed: the line and its panel follow.
void placeLoadDetails();
