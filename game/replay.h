// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Replaying the game against the computer (a loaded game, or the one being played): the record
// stays whole while the board steps backwards and forwards through its moves, the pieces gliding
// both ways (taken pieces come back at the end of a backward step), or jumps to the start or the
// end. The engine follows the position shown, so the hints, the suggestion and the move line
// work there; the move list marks the move shown and the last-move marks follow it. The computer
// does not move while an earlier position shows.
//
// A move played from an earlier position continues the game from there: the game asks once
// ("Drop the later moves", "are you sure ?") and, when the player agrees, drops the moves after
// that position and plays the move. Not in a network game, where both boards must agree: there
// the replay does nothing.

struct SquareRecord;

enum class ReplayStep { Back, Forward, Start, End };

// One replay key. A key pressed while a step glides is kept and follows it (the steps add up, a
// jump replaces them). False (nothing done) in a network game, before a game, over the menu, the
// pause view or the request window, while the computer's or the player's move glides, and when
// the replay cannot go further.
bool replayGame(ReplayStep step);

// The local player's confirming click of a move from `from` to `to`: when an earlier position
// shows, the question is put and true comes back (the move waits for the answer); otherwise
// false and the move is played as usual.
bool replayAsksBeforeMove(const SquareRecord* from, const SquareRecord* to);

// The answer to that question: agreed, the later moves go and the move is played by the next
// frame step in which the player may click the board.
void answerDropLaterMoves(bool accepted);

// Once per frame: the move agreed to, played.
void replayStep();

// The question's code in the AppState's questionCode.
constexpr int DROP_LATER_MOVES_QUESTION = 'D';
