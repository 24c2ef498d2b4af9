// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/game_end_state.h"

#include "game/game_model.h"
#include "game/player_info.h"
#include "game/unfinished_game.h"

namespace {

// The one game on the board (everything runs on the game's thread).
struct EndState {
    GameVerdict verdict = game_verdict(GAME_GOES_ON);
    int endedAtMoves = -1; // recorded moves when it ended; -1 going on
    // A loaded game's resignation, for the rebuild that follows the load (resignedWhenRebuilt).
    GameEnd loadedResignation = GAME_GOES_ON;
    int loadedMoves = -1;
};
EndState g_end;

void endGame(const GameVerdict& verdict, int recordedMoves) {
    g_end.verdict = verdict;
    g_end.endedAtMoves = verdict.over() ? recordedMoves : -1;
}

} // namespace

const GameVerdict& gameVerdict() {
    return g_end.verdict;
}

bool gameFinished() {
    return g_end.verdict.over();
}

int gameEndedAtMoves() {
    return g_end.endedAtMoves;
}

void judgeAfterMove(int recordedMoves) {
    if (!gameFinished()) endGame(judge_game(), recordedMoves);
}

void judgeRebuiltGame(int recordedMoves) {
    GameVerdict verdict = judge_game();
    // Not in a network game: the peer, sent the moves alone, would play on.
    const bool resigned = g_end.loadedResignation != GAME_GOES_ON &&
                          g_end.loadedMoves == recordedMoves && localGame();
    if (resigned && !verdict.over()) verdict = game_verdict(g_end.loadedResignation);
    g_end.loadedResignation = GAME_GOES_ON;
    endGame(verdict, recordedMoves);
}

void clearGameEnd() {
    endGame(game_verdict(GAME_GOES_ON), 0);
    g_end.loadedResignation = GAME_GOES_ON;
}

void resignedWhenRebuilt(GameEnd end, int recordedMoves) {
    const bool resignation = end == WHITE_RESIGNS || end == BLACK_RESIGNS;
    g_end.loadedResignation = resignation ? end : GAME_GOES_ON;
    g_end.loadedMoves = recordedMoves;
}

void resignGame(int colour, int recordedMoves) {
    if (gameFinished()) return;
    endGame(game_verdict(resignation_by(colour)), recordedMoves);
    tellPlayer(g_end.verdict.announcement);
    forgetUnfinishedGame(); // a resigned game is over: nothing to resume
}

void answerResignQuestion(bool accepted) {
    if (accepted && g_game) resignGame(g_game->humanColour, g_game->record.moves.count);
}

GameEnd endToSave(GameEnd judged, int recordedMoves) {
    const GameEnd end = g_end.verdict.end;
    const bool resigned = end == WHITE_RESIGNS || end == BLACK_RESIGNS;
    return resigned && recordedMoves == g_end.endedAtMoves ? end : judged;
}

bool refuseMoveAfterEnd() {
    if (!gameFinished()) return false;
    tellPlayer("Game over : R for a new game");
    return true;
}
