// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Who plays the computer's side: the built-in engine, searching as deep as the level says (4, as
// always, unless asked otherwise), or a chess engine installed on the machine that speaks UCI
// (Debian's stockfish, gnuchess --uci), chosen in settings.ini or on the command line.
//
// A UCI engine answers in later frames: the computer's turn asks it and returns, the frame step
// plays its answer once the board is free. An engine that is missing, ends, stays silent or
// answers a move that is not legal is told on the info line and dropped; the built-in engine
// plays in its place from that moment, the game losing nothing. The suggestion key asks the same
// engine as the computer's turn.

#include <string>

#include "game/uci_engine.h"

struct OpponentChoice {
    std::string engine;               // command of a UCI engine; empty: the built-in engine
    int level = ENGINE_LEVEL_DEFAULT; // 1 (weakest) to 6
    bool openingBook = true;          // the built-in engine opens from its book of main lines
    int moveTimeMs = 1000;            // a UCI engine's thinking time per move
    int graceMs = 10000;              // how long past that an engine may stay silent
};

// "builtin", "built-in" (any case) and blanks name the built-in engine; anything else is a command,
// split into the program and its arguments by commandWords (child_process.h): at blanks, a path
// with blanks in double quotes ("/opt/my engines/sf" --uci).
bool namesBuiltinEngine(const std::string& engine);

// Start-up (and tests): the level applied, a UCI engine started (any earlier one ended). A
// program that cannot start is reported at once on standard error and in the log, and on the
// info line once a game is in view.
void startOpponent(const OpponentChoice& choice);
const OpponentChoice& opponentChoice();

// The built-in engine's search depth: the level.
int builtinDepth();

// The computer's turn with a UCI engine: true when the engine takes it (its move is played now
// when its answer is already here, otherwise by a later frame step); false when the built-in
// engine is to play it.
bool externalComputerMove();

// The computer's turn with the built-in engine searching beside the frame loop
// (game/computer_thinking.h): true when the search was started, or is under way, for the game's
// position (its move is played by a later frame step); false when the search is to run in-line.
bool builtinMoveBeside();

// The suggestion key with a UCI engine: true when the engine takes the question (the squares are
// marked when its answer comes); false when the built-in engine is to answer.
bool externalSuggestion();

// Once per frame: the engine's answers read and played when the board is free, its failure told
// and the built-in engine brought in.
void opponentStep();

// The engine's name ("Stockfish 15.1", "Computer" for the built-in engine searching beside the
// frame) while it has been thinking over the computer's move for more than a moment, otherwise
// null.
const char* opponentThinking();
// Milliseconds until opponentThinking names the engine (0 once it does), -1 while it has no
// search of the computer's move under way: a frame loop that rests wakes to show its sign.
int64_t opponentThinkingInMs();

// The UCI engine as it stands (tests).
const UciEngine& uciOpponent();

// At exit: the engine is asked to quit, and killed if it does not.
void stopOpponent();
