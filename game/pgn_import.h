// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// PGN games onto the board: a game read from a PGN file (pgn_reader.h) becomes the recorded
// moves of a saved game, or is refused whole with the reason the info line shows; references to
// one game of a file, as the load screen and the command line hand them to the game record; and
// the day a game started, from its Date tag or from the PGN copy a save writes beside a ".chs".

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "game/pgn_reader.h"
#include "game/recorded_move.h"

constexpr size_t PGN_FILE_MAX_BYTES = size_t(32) << 20; // the part of a PGN file that is read
constexpr const char* UNKNOWN_PGN_DATE = "????.??.??";

// The recorded moves of a PGN game played from the start position, its pieces named as the board
// names them. Returns "" and fills `moves`; or, `moves` left empty, the reason the board cannot
// show the game as the info line says it (in the 33 characters it holds):
//   "Set-up position : not loaded"     SetUp "1", or a FEN tag that is not the start position
//   "Illegal 12...Nf6 : not loaded"    not legal there, or not a move at all
//   "Ambiguous 12...Nd7 : not loaded"  two pieces could make it
//   "Promotion 30.e8=N : not loaded"   to a knight, bishop or rook: the board has only queens
//   "PGN game too long : not loaded"   more moves than the engine can hold
//   "Too many PGN tags : not loaded"   more than PGN_GAME_TAGS_MAX tags (some were not kept)
// The engine's position is left as it was.
std::string pgn_game_moves(const PgnGame& game, std::vector<RecordedMove>& moves);

// The game's Date tag as PGN writes dates ("2026.12.08", unknown parts as '?'), or
// UNKNOWN_PGN_DATE when the tag is missing or is not a date.
std::string pgn_game_date(const PgnGame& game);

// What a reference names: a PGN file and one of its games (counted from 1), written
// "PATH#N"; a path ending in ".pgn" alone names its first game. False for anything else (a
// ".chs" saved game).
bool parse_pgn_ref(const std::string& ref, std::string& path, int& game);
std::string pgn_game_ref(const std::string& path, int game);

// Game `game` (from 1) of the PGN file at `path` (its first PGN_FILE_MAX_BYTES; what follows
// the game is not read), ready for the record: `moves` and `date` (pgn_game_date) are set, and ""
// comes back; or the info line's reason it cannot be loaded: pgn_game_moves' reasons, "Cannot open
// PGN file : not loaded", "No game in PGN file : not loaded", "No PGN game 3 : not loaded".
struct PgnLoaded {
    std::vector<RecordedMove> moves;
    std::string date;
};
std::string load_pgn_game(const char* path, int game, PgnLoaded& loaded);

// Game `game` (from 1) of the PGN file at `path` as written, its tags and moves (read as
// load_pgn_game reads it). False when the file cannot be read, has no such game, or `stop`
// (asked between blocks) ended the reading first. Any thread.
bool read_pgn_game(const char* path, int game, PgnGame& chosen,
                   const std::function<bool()>& stop = nullptr);

// How many games the PGN file at `path` holds (in its first PGN_FILE_MAX_BYTES), counting no
// further than `max`: the file is read a block at a time and no further than the start of game
// max + 1. 0 when it cannot be read. `bytes_read`, when given, gets how much of the file was
// read; `stop`, when given, is asked between blocks and ends the count early (its result is
// then short). Any thread.
int count_pgn_games(const char* path, int max, size_t* bytes_read = nullptr,
                    const std::function<bool()>& stop = nullptr);

// The day the saved game at `chs_path`, whose moves are `moves`, started: the Date of the PGN
// copy that saving wrote beside it (pgn_path_beside), when its game has moves and they begin
// the saved game's; UNKNOWN_PGN_DATE otherwise (no copy, or a copy of another game).
std::string start_day_beside(const char* chs_path, const std::vector<RecordedMove>& moves);
