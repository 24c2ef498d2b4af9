// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the load screen offers: the ".chs" saved games of the save folder, then the games of the
// PGN files put there by the player (from other chess programs and databases). The list is made
// by the file worker (file_jobs.h), beside the frame loop: reading a folder of large PGN files
// takes a while, and the screen shows each part as it comes.

#include <ctime>
#include <string>
#include <vector>

struct GameRecord;

constexpr int PGN_LISTED_GAMES_MAX = 1000; // games of one PGN file the list shows

// A file the folder search found.
struct FoundFile {
    std::string name;      // in its folder, extension as the folder spells it
    std::time_t written{}; // last write
    long size = 0;         // bytes
};

// The regular files matching `pattern` ("FOLDER/*.chs"; names match without regard to case),
// in name order. Any thread.
std::vector<FoundFile> find_files(const std::string& pattern);

// One line of the load screen.
struct LoadableGame {
    std::string file; // the file's name in the save folder, extension as the folder spells it
    int game = 0;     // the game of a PGN file, from 1; 0 for a ".chs" saved game
    int games = 0;    // games in that PGN file (at most PGN_LISTED_GAMES_MAX are listed)
};

// Lines of the list, in order, to follow those already taken; `complete` with the last part
// (which may have no line).
using LoadListTaker = void (*)(const std::vector<LoadableGame>& lines, bool complete);

// Starts making the load list. `take` gets it a part at a time, on the frame loop: first the
// ".chs" files (also given to record.TakeSavedGames, which fills saved_file_names and writes the
// log's listing), then each PGN file of the folder in name order, with its games in the file's
// order, and a last part (no line) says the list is complete. A PGN file that saving wrote beside a
// ".chs" (pgn_path_beside) is that saved game again and is left out, and so is a file with no game.
// The count of a PGN file is remembered with its size and modification time: an unchanged file is
// not read again. Starting again, or stop_load_list, drops what is left of the list before.
void start_load_list(GameRecord& record, LoadListTaker take);

// The list being made is no longer wanted (the screen closed): no more of it is taken, and the
// worker stops reading for it.
void stop_load_list();

// The path or PGN reference (pgn_import.h) GameRecord::LoadGame takes for a line.
std::string loadable_game_ref(const LoadableGame& line);
