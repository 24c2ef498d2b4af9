// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Portable Game Notation for the game record: the recorded moves replayed on the engine into
// standard algebraic notation, the result by the engine's rules, and the PGN text and file that
// other chess programs read.

#include <ctime>
#include <string>
#include <vector>

#include "chess/game_end.h"
#include "game/recorded_move.h"

// A game as the engine sees it after replaying the record.
struct ReplayedGame {
    std::vector<std::string> san; // the SAN of each move the engine accepted, in order
    int refused_at = -1;          // index of the first recorded move it refused, or -1
    char refused_text[8] = "";    // that move as coordinate text ("e2e5")
    GameEnd end = GAME_GOES_ON;   // state after the last accepted move
};

// Replays `count` recorded moves from the start position as the local player's moves are
// played (a pawn reaching the last row becomes a queen) and stops at the first one that is not
// legal. The engine's position (the game in progress, its undo stack and root moves) is put
// back as it was before returning.
void replay_recorded_game(const RecordedMove* moves, int count, ReplayedGame& game);

// The seven tag values of a PGN game.
struct PgnTags {
    std::string event = "chess3d game";
    std::string site = "?";
    std::string date = "????.??.??"; // YYYY.MM.DD (pgn_date)
    std::string round = "-";
    std::string white = "White";
    std::string black = "Black";
};

// The local date of `when` as PGN writes dates: "2026.12.08".
std::string pgn_date(std::time_t when);

// The PGN text of a game: the seven tags (Result from the game's end, "*" when it goes on or a
// move was refused), a blank line, the numbered moves, a comment saying how the game ended or
// which move was refused, the result, lines of at most 79 characters, and a final blank line.
std::string pgn_text(const PgnTags& tags, const ReplayedGame& game);

// "NAME.pgn" for "NAME.chs"; a path without the ".chs" ending gets ".pgn" appended.
std::string pgn_path_beside(const std::string& chs_path);

// Writes `text` to a new temporary file beside `path` (never through a link planted there) and
// renames it over `path`; false (and no temporary file left) when any step fails.
bool write_text_file(const char* path, const std::string& text);
