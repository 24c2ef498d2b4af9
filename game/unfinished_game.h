// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game against the computer kept while it goes on, so that closing the window, quitting,
// Ctrl+C or a killed process never loses it: "Unfinished game.chs" in the save folder, written
// after every move that lands (atomically, as every save is: the file always holds a whole game,
// the one before the move or the one after it) and once more, flushed to the disk, when the
// program ends. The load
// screen lists it first; loading it resumes the game. It goes when a new game is started against
// the computer or the game on the board ends. A network game is never kept: each side has it.
//
// The files are written and removed by the file worker (file_jobs.h), in the order asked, so
// that a frame never waits for the disk and a removal is never undone by an earlier write.

#include <string>
#include <vector>

struct FoundFile;

constexpr const char* UNFINISHED_GAME_FILE = "Unfinished game.chs";

// The file's path in the save folder.
std::string unfinished_game_path();

// Writes the game on the board as the unfinished game when it is one: a game against the
// computer, with moves, not over by mate, stalemate or a draw the game announces. Otherwise
// nothing is written (a game that is over was forgotten when its end was announced). A failure
// is told to the player ("Game not kept"); the file before stays whole.
void keepUnfinishedGame();

// Removes the unfinished game (a new game started, or the game on the board ended), with the PGN
// copy a save over it from the save screen wrote.
void forgetUnfinishedGame();

// At the end of the program (the frame loop has ended: window closed, quit, SIGINT or SIGTERM):
// keepUnfinishedGame, then waits until the worker has written it.
void keepUnfinishedGameAtExit();

// Puts the unfinished game first among the ".chs" files of a folder search.
void unfinished_game_first(std::vector<FoundFile>& files);
