// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the saved games and the settings file live: the player's own data folder,
// $XDG_DATA_HOME/chess3d/Save/ (else ~/.local/share/chess3d/Save/), for every kind of build, so
// that deleting a build folder or reinstalling keeps them. Earlier builds kept them beside the
// program ("<program folder>/Save/"): start-up moves what it finds there into the data folder,
// once, without overwriting anything.

#include <string>
#include <vector>

// Uses `folder` from now on ('/' added when it lacks one).
void set_save_folder(const std::string& folder);

// "<data home>/chess3d/Save/", made with its parents when missing: data home is `xdg_data_home`
// when it is an absolute path, else `home` + "/.local/share". An empty string when neither names
// one or it cannot be made and written.
std::string pick_save_folder(const char* xdg_data_home, const char* home);

// The player's own folder for this game, "<data home>/chess3d/", made with its parents when
// missing: data home is `xdg_data_home` when it is an absolute path, else `home` +
// "/.local/share". An empty string when neither names one or it cannot be made and written.
std::string player_data_folder(const char* xdg_data_home, const char* home);

// What move_old_saves did.
struct OldSavesMove {
    int moved = 0;                    // files now in the new folder and gone from the old one
    int left = 0;                     // files that stay in the old folder (could not be moved)
    std::vector<std::string> renamed; // "old name -> new name", for names already taken
};

// Moves every regular file of the folder `from` (saved games, their PGN copies, the player's
// PGN files, settings.ini) into the folder `to`, which must exist. Nothing is overwritten and
// nothing is lost: the files sharing a name before the
// extension ("mine.chs" and "mine.pgn") go together, under "mine 2", "mine 3"... when a file of
// that name is already in `to`; each file is in `to`, flushed to the disk, before it leaves
// `from`, and one that cannot be moved stays whole in `from`. Nothing happens when `from` is
// missing, is `to`, or may not be written (its files could be copied but not removed).
OldSavesMove move_old_saves(const std::string& from, const std::string& to);

// Start-up, after the program's folder became the current one: the save folder is
// pick_save_folder($XDG_DATA_HOME, $HOME) (or "./Save/", beside the program, when the player
// has no data folder), and the files of "./Save/" move there (move_old_saves), unless
// $CHESS3D_LEAVE_OLD_SAVES is set (tests that start the build's program with a temporary data
// folder leave a developer's old saved games where they are). A move is told on standard output;
// the returned text says it in a line for the player ("Saves now: ~/.local/share/chess3d"),
// empty when nothing moved.
std::string choose_save_folder();
