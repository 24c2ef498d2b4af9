#pragma once
// What the load screen offers: the ".chs" saved games of the save folder, then the games of the
// PGN files put there by the player (from other chess programs and databases).

#include <string>
#include <vector>

struct GameRecord;

constexpr int PGN_LISTED_GAMES_MAX = 1000; // games of one PGN file the list shows

// One line of the load screen.
struct LoadableGame {
    std::string file; // the file's name in the save folder, extension as the folder spells it
    int game = 0;     // the game of a PGN file, from 1; 0 for a ".chs" saved game
    int games = 0;    // games in that PGN file (at most PGN_LISTED_GAMES_MAX are listed)
};

// The ".chs" files first, as record.ListSavedGames finds them (it also fills saved_file_names
// and writes the log's listing), then every PGN file of the folder in name order, each of its
// games in the file's order. A PGN file that saving wrote beside a ".chs" (pgn_path_beside) is
// that saved game again and is left out, and so is a file with no game.
std::vector<LoadableGame> list_loadable_games(GameRecord& record);

// The path or PGN reference (pgn_import.h) GameRecord::LoadGame takes for a line.
std::string loadable_game_ref(const LoadableGame& line);
