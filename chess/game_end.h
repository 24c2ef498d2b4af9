// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the game stands by the engine's rules: going on, mate, stalemate, a draw by the
// repetition or fifty-move rule or for want of material to mate, or (never judged from the
// position: the player's choice) a resignation. The game's result announcements, its banner and
// the PGN result all come from here, so they always agree.

enum GameEnd {
    GAME_GOES_ON,
    WHITE_MATES,
    BLACK_MATES,
    STALEMATE,
    DRAW_BY_REPETITION,  // repetition_count() is exactly 3
    DRAW_BY_FIFTY_MOVES, // fifty_counter has reached 100 half-moves
    // Added after the first six, which callers may use as indices: game_end() never gives these.
    DRAW_BY_INSUFFICIENT_MATERIAL, // insufficient_material(): neither side can ever mate
    WHITE_RESIGNS,
    BLACK_RESIGNS,
};
constexpr int GAME_END_COUNT = BLACK_RESIGNS + 1;

// The state of the current position by mate, stalemate, repetition and the fifty-move rule (not
// material: see judge_game). Uses the move stack from search_ply on (the moves of the current
// ply are generated again, in generation order) and leaves the position as it was.
GameEnd game_end();

// True when no sequence of legal moves can mate either king: no pawn, rook or queen is left and
// the minor pieces are none, a single knight or bishop, or only bishops (of either side) that
// all stand on squares of one colour. A knight with anything else, two knights, or bishops on
// both colours can still mate, however badly the other side plays, so they are not this draw.
bool insufficient_material();

// Everything a caller shows of how a game stands, for one GameEnd; the texts are static.
struct GameVerdict {
    GameEnd end;
    const char* result;       // as PGN writes it: "1-0", "0-1", "1/2-1/2", or "*" going on
    const char* comment;      // the PGN comment, the reason: "White mates", "Insufficient
                              // material", "Black resigns"; null going on
    const char* announcement; // the info line's text: result and comment, "1-0 {White mates}"
    const char* banner;       // the words over the board: "White wins : checkmate"
    bool over() const { return end != GAME_GOES_ON; }
};

// The verdict of the current position: game_end(), and when that goes on or is a draw by
// repetition or the fifty-move rule, a draw by insufficient material first (it came with the
// capture that left the material, before any repetition or count could build up). Mate and
// stalemate stand as they are. Leaves the position as game_end() does.
GameVerdict judge_game();

// The verdict of a known end: a resignation, or one judged before (a game replayed or loaded).
GameVerdict game_verdict(GameEnd end);

// The end of a game that `colour` (WHITE or BLACK) resigns.
GameEnd resignation_by(int colour);

// The result as PGN writes it: "1-0", "0-1", "1/2-1/2", or "*" while the game goes on.
const char* game_end_result(GameEnd end);

// Why the game ended, as the game announces it ("White mates", "Stalemate", "Draw by
// repetition", "Draw by fifty move rule", "Insufficient material", "White resigns"), or null
// while it goes on.
const char* game_end_reason(GameEnd end);
