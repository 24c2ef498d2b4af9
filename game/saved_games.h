// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading and writing ".chs" saved games: one RecordedMove per line as a decimal number. The
// GameRecord's LoadGame and SaveGame (game/game_files.cpp) are built on these.

#include <cstddef>
#include <vector>

#include "game/recorded_move.h"

struct StagedFile;

// The folder of the saved games (and of the settings file), ending in '/': "./Save/" beside the
// program until start-up chooses (save_folder.h). The load and save screens and the listing use
// it and the folder search pattern, save_folder() + "*.chs".
const char* save_folder();
const char* save_pattern();

enum class SavedGameRead {
    Ok,         // every token was a number and every move checked
    CannotOpen, // no such file or no permission
    Damaged,    // a token that is not a number, a value that fails the record's checks, or a
                // move the chess engine refuses
};

// Bytes a saved game may have: the longest game the network can send (16,383 moves) takes
// about 150 KB; anything much larger is not a saved game.
constexpr size_t SAVED_GAME_MAX_BYTES = 4 * 1024 * 1024;

// Reads the moves of a saved game into `moves` (whitespace-separated decimal numbers; carriage
// returns and blank lines are accepted) and checks them as parse_saved_game does. Only a
// regular file of at most SAVED_GAME_MAX_BYTES is read (a pipe, a device or a folder cannot be
// opened as a game; a larger file is damaged).
SavedGameRead read_saved_game(const char* path, std::vector<RecordedMove>& moves);

// The same on the file's `size` bytes of text (no terminator needed): parsed, then checked by
// replaying on the start identifiers and on the chess engine, whose position is left as it was.
SavedGameRead parse_saved_game(const char* text, size_t size, std::vector<RecordedMove>& moves);

// Writes the moves with "%d\n" into a new temporary file beside `path` (never through a link
// planted there), flushes it to the disk and renames it over `path`. False (and no temporary
// file left) when any step fails; the old file is then intact.
bool write_saved_game(const char* path, const RecordedMove* moves, int count);

// The first half of write_saved_game: the moves written into the temporary file, which
// commit_staged_file (file_io.h) then flushes and renames over `path`. False (nothing left
// behind) when it cannot be made or written.
bool stage_saved_game(const char* path, const RecordedMove* moves, int count, StagedFile& staged);
