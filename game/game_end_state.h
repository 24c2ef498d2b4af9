// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The finished state of the game on the board. The game ends at mate, stalemate, a draw by
// repetition, by the fifty-move rule or for want of material, or when a player resigns; from
// then on neither the local player nor the computer plays until the game is reopened (a
// take-back, a load, a new game, a whole game from the peer: every rebuild of the board judges
// the game afresh). The verdict is the engine's (chess/game_end.h), judged on the position the
// engine holds after each recorded move, so that both sides of a network game, which play the
// same moves on their engines, end at the same move with the same words.

#include "chess/game_end.h"

// The question a resignation asks ("Resign : are you sure ?"), as a request code of the model.
constexpr int RESIGN_QUESTION = 'G';

// The verdict on the game: going on, or how it ended.
const GameVerdict& gameVerdict();
bool gameFinished();
// The number of recorded moves when the game ended, or -1 while it goes on. In a network game
// a peer that plays on after the end (an older copy) adds moves past it; nothing local does.
int gameEndedAtMoves();

// After a move was recorded and played on the engine: the position is judged unless the game
// had already ended (a peer's move past the end leaves the verdict as it was). The board calls
// this through GameRecord::RecordMove.
void judgeAfterMove(int recordedMoves);
// After the board was rebuilt from the record, the engine holding its last position: the game
// is judged afresh, a resignation forgotten (reopened by a take-back, or another game loaded).
void judgeRebuiltGame(int recordedMoves);
// A new game: it goes on.
void clearGameEnd();
// A game loaded whose saved copy says it was resigned (`end`, game/saved_resignation.h), with
// `recordedMoves` moves: the next rebuild of the board, if it shows those moves in a game
// against the computer and finds the game going on, ends it so (no words: the banner shows it).
// Any rebuild uses it up; a take-back after it reopens the game as usual.
void resignedWhenRebuilt(GameEnd end, int recordedMoves);

// `colour` (0 White, 1 Black) resigns the game as it stands; announced in the info line.
// Nothing happens when the game has already ended.
void resignGame(int colour, int recordedMoves);
// The answer to "Resign : are you sure ?" (the resign key, app/resign_key.h): accepted, the
// local player resigns.
void answerResignQuestion(bool accepted);

// The end to write into a saved game's PGN, given the one judged from its moves: a resignation
// when the player resigned at this position, otherwise the judged end.
GameEnd endToSave(GameEnd judged, int recordedMoves);

// A local click or typed move on a finished game: the player is told the game is over (and how
// to go on) and true comes back; false while the game goes on.
bool refuseMoveAfterEnd();
