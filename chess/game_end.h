#pragma once
// How the game stands by the engine's rules: going on, mate, stalemate, or a draw by the
// repetition or fifty-move rule. The game's result announcements and the PGN result come from
// here, so they always agree.

enum GameEnd {
    GAME_GOES_ON,
    WHITE_MATES,
    BLACK_MATES,
    STALEMATE,
    DRAW_BY_REPETITION, // repetition_count() is exactly 3
    DRAW_BY_FIFTY_MOVES // fifty_counter has reached 100 half-moves
};

// The state of the current position. Uses the move stack from search_ply on (the moves of the
// current ply are generated again, in generation order) and leaves the position as it was.
GameEnd game_end();

// The result as PGN writes it: "1-0", "0-1", "1/2-1/2", or "*" while the game goes on.
const char* game_end_result(GameEnd end);

// Why the game ended, as the game announces it ("White mates", "Stalemate", "Draw by
// repetition", "Draw by fifty move rule"), or null while it goes on.
const char* game_end_reason(GameEnd end);
