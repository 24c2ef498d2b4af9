// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The move list: a translucent panel at the window's right edge, under the turn sign (in full
// screen on a wide display, on the black bar right of the picture when it fits there), with the
// game's moves in standard algebraic notation, one numbered line per move of both sides
// ("12. Nf3     Nc6"), the latest at the bottom in white; older moves scroll away above once the
// panel is full. Key M shows or hides it (the choice is kept in the settings); it shows over the
// board only, not over the menu or the pause tour, and follows every change of the record: moves
// of either side, take-backs, loads, new games, the peer's game. While a replay shows an earlier
// position, the move that led to it is marked with '>' in gold and the later moves are dimmed.
//
// Its strings are rebuilt only when the record changed since they were made, and only while the
// panel shows; a frame with nothing new allocates nothing.

class KTexte;
class KImage2D;

constexpr int MOVE_LIST_ROWS = 16; // move lines shown at most

struct MoveListView {
    KImage2D* frame = nullptr; // light rim, behind the body
    KImage2D* body = nullptr;  // the dark panel behind the lines
    KTexte* title = nullptr;   // "Moves"
    KTexte* rows[MOVE_LIST_ROWS] = {};
    int rowsUsed = 0; // rows holding a line, from the top
};

// Start-up, after the text overlay's layout: the panel and its texts, hidden.
void buildMoveList();

// Once per frame: shown or hidden by the settings and the view, laid out again after a change
// of window size, lines rebuilt after a change of the record.
void moveListStep();

// The panel's objects as they stand (tests, screenshots).
const MoveListView& moveListView();
