// SPDX-License-Identifier: GPL-3.0-or-later
// The player's selection on the board and the one way a click on a square is played, whoever
// clicked: the local player's mouse, the move line's three clicks, the move agreed after the
// replay's question, and the network peer's click replayed from its message.

#include "game/game_model.h"
#include "game/replay.h"

namespace {

constexpr int CLEARED_ROW = 40; // row and column the peer reads as a cleared selection

bool localSource(ClickSource from) {
    return from != ClickSource::Peer;
}

// Every selection step of the local player goes to the peer in a network game.
void report(const GameModel& m, ClickSource from, int row, int column) {
    if (localSource(from) && m.networkGame()) fireHook(m.hooks.squareClicked, row, column);
}

} // namespace

void GameModel::clearSelection() {
    fireHook(hooks.selectShown, nullptr);
    fireHook(hooks.targetShown, nullptr);
    selectedPiece = nullptr;
    chosenTarget = nullptr;
}

ClickOutcome GameModel::clickSquare(int square, ClickSource from) {
    // 1. The local player's clicks wait for the menu, the opponent, the glide and the player's
    //    own request (the peer's wait in its receive pass: mayReplayPeerClick).
    if (localSource(from) && !mayPlayerClickBoard()) return ClickOutcome::Ignored;
    if (square < 0 || square > 63) { // the peer's cleared selection, or a square it cannot mean
        clearSelection();
        return ClickOutcome::Cleared;
    }
    SquareRecord* target = &squares[square];
    PieceRecord* selected = selectedPiece;

    // 2. Second click on the chosen target: the move is played (from an earlier position of a
    //    replay, once the player has agreed to drop the later moves).
    if (target == chosenTarget) {
        const bool mayAsk = from == ClickSource::Player || from == ClickSource::MoveLine;
        if (mayAsk && replayAsksBeforeMove(selected ? selected->square : nullptr, target))
            return ClickOutcome::Asked;
        report(*this, from, target->row, target->column);
        const bool played = tryMove(selected, target, true);
        clearSelection();
        // A move the game record refused (the engine found it illegal) ends nothing.
        if (played) endTurn();
        return ClickOutcome::Confirmed;
    }
    // 3. A square the selected piece may go to becomes the chosen target.
    if (selected && tryMove(selected, target, false)) {
        report(*this, from, target->row, target->column);
        chosenTarget = target;
        fireHook(hooks.targetShown, target);
        return ClickOutcome::Targeted;
    }
    // 4. A piece of the side to move is selected.
    if (target->piece && target->piece->colour == sideToMove) {
        report(*this, from, target->row, target->column);
        selectedPiece = target->piece;
        fireHook(hooks.selectShown, target);
        fireHook(hooks.targetShown, nullptr);
        chosenTarget = nullptr;
        return ClickOutcome::Selected;
    }
    // 5. Anything else clears the selection; a local player's refused move sounds.
    if (localSource(from)) {
        if (selected) fireHook(hooks.soundPlayed, GameSound::Refused);
        report(*this, from, CLEARED_ROW, CLEARED_ROW);
    }
    clearSelection();
    return ClickOutcome::Cleared;
}
