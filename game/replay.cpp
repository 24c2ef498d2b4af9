// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/replay.h"

#include <utility>

#include "board/board_moves.h"
#include "board/board_scene.h"
#include "game/game_model.h"
#include "game/game_record.h"

namespace {

struct Replay {
    int target = -1;      // the plies the board will show when the glide under way ends
    bool forward = false; // that glide plays a move (a capture sounds as one)
    int askedFrom = -1;   // the move waiting for the player's answer, by squares
    int askedTo = -1;
    bool agreed = false; // the player agreed: the move is played once the board takes clicks
    int queued = 0;      // steps pressed during the glide, to follow it: < 0 back, > 0 forward
    int queuedJump = -1; // or a jump pressed then (ReplayStep::Start or End), -1 none
} g_replay;

constexpr int QUEUE_LIMIT = 8; // steps kept at most while a glide plays

SquareRecord* square(int row, int column) {
    return &g_game->squares[row * 8 + column];
}

// The board, the engine and the turn as they stand after the first `plies` moves.
void show(int plies) {
    GameRecord* r = &g_game->record;
    r->ShowPlies(plies);
    const int shown = r->ShownCount();
    g_game->sideToMove = shown > 0 ? 1 - rm_colour(r->moves[shown - 1]) : 0;
    fireHook(g_game->hooks.turnShown, g_game->sideToMove);
    g_game->clearSelection();
    g_game->awaitingOpponent = g_game->sideToMove != g_game->humanColour;
}

// Back at the game's latest position, the computer answers if it is its move.
void computerAtTheEnd() {
    if (g_game->record.replayPlies < 0) g_game->computerTurnIfDue();
}

void glideEnded() {
    const bool forward = g_replay.forward;
    show(g_replay.target);
    g_replay.target = -1;
    if (forward)
        fireHook(g_game->hooks.moveSoundLanded);
    else
        fireHook(g_game->hooks.soundPlayed, GameSound::Move);
    // The keys pressed meanwhile: the jump, else the next of the steps.
    const int jump = g_replay.queuedJump;
    const int queued = g_replay.queued;
    g_replay.queuedJump = -1;
    g_replay.queued = 0;
    if (jump >= 0 && replayGame(ReplayStep(jump))) return;
    if (queued != 0 && replayGame(queued < 0 ? ReplayStep::Back : ReplayStep::Forward)) {
        g_replay.queued = queued < 0 ? queued + 1 : queued - 1;
        return;
    }
    computerAtTheEnd();
}

// The move at index `ply` glides forwards (taking what it takes at once) or backwards (what it
// took comes back when it has landed).
void glideMove(int ply, bool forward) {
    const RecordedMove m = g_game->record.moves[ply];
    SquareRecord* from = square(rm_from_row(m), rm_from_column(m));
    SquareRecord* to = square(rm_to_row(m), rm_to_column(m));
    if (!forward) std::swap(from, to);
    PieceRecord* piece = from->piece;
    g_replay.target = forward ? ply + 1 : ply;
    g_replay.forward = forward;
    if (!piece) { // the board does not show what the record says: no glide, only the position
        glideEnded();
        return;
    }
    if (forward) {
        PieceRecord* taken = to->piece;
        // A pawn's diagonal step onto an empty square takes the pawn beside it.
        if (!taken && piece->kind == KIND_PAWN && !piece->promoted && from->column != to->column)
            taken = square(from->row, to->column)->piece;
        fireHook(g_game->hooks.moveSoundStarted, taken != nullptr);
        if (taken) g_game->sendToGraveyard(taken);
    }
    glidePiece(piece, from, to, glideEnded);
}

} // namespace

bool replayGame(ReplayStep step) {
    // A glide stopped by a new or loaded game never ends: what was kept for it goes.
    if (g_replay.target >= 0 && !g_game->boardInMotion()) {
        g_replay.target = g_replay.queuedJump = -1;
        g_replay.queued = 0;
    }
    // A key pressed while a step glides follows it, so that quick presses all count.
    if (g_replay.target >= 0 && localGame()) {
        if (step == ReplayStep::Start || step == ReplayStep::End) {
            g_replay.queuedJump = int(step);
            g_replay.queued = 0;
        } else if (g_replay.queuedJump < 0) {
            const int q = g_replay.queued + (step == ReplayStep::Back ? -1 : 1);
            g_replay.queued = q < -QUEUE_LIMIT ? -QUEUE_LIMIT : q > QUEUE_LIMIT ? QUEUE_LIMIT : q;
        }
        return true;
    }
    if (!g_game || !g_board || !g_game->mayStepReplay()) return false;
    const int shown = g_game->record.ShownCount(), count = g_game->record.moves.count;
    switch (step) {
    case ReplayStep::Back:
        if (shown == 0) return false;
        glideMove(shown - 1, false);
        return true;
    case ReplayStep::Forward:
        if (shown == count) return false;
        glideMove(shown, true);
        return true;
    case ReplayStep::Start:
        if (shown == 0) return false;
        show(0);
        return true;
    case ReplayStep::End:
        if (shown == count) return false;
        show(count);
        computerAtTheEnd();
        return true;
    }
    return false;
}

bool replayAsksBeforeMove(const SquareRecord* from, const SquareRecord* to) {
    if (!g_game || g_game->record.replayPlies < 0 || !from || !to) return false;
    g_replay.askedFrom = from->row * 8 + from->column;
    g_replay.askedTo = to->row * 8 + to->column;
    g_replay.agreed = false;
    g_game->clearSelection();
    fireHook(g_game->hooks.question, "Drop the later moves", "are you sure ?");
    g_game->questionCode = DROP_LATER_MOVES_QUESTION;
    return true;
}

void answerDropLaterMoves(bool accepted) {
    g_replay.agreed = accepted && g_replay.askedFrom >= 0;
    if (!g_replay.agreed) g_replay.askedFrom = g_replay.askedTo = -1;
}

void replayStep() {
    // The move the player agreed to, once the question has gone and the board takes clicks. The
    // record drops the later moves as it records it (GameRecord::RecordMove).
    if (!g_replay.agreed || !g_game->mayPlayerClickBoard()) return;
    const int from = g_replay.askedFrom, to = g_replay.askedTo;
    g_replay.agreed = false;
    g_replay.askedFrom = g_replay.askedTo = -1;
    if (!g_game || g_game->record.replayPlies < 0) return; // the game changed meanwhile
    for (int s : {from, to, to})
        g_game->clickSquare(s, ClickSource::AgreedReplayMove);
}
