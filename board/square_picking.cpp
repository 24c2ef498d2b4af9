#include "board/square_picking.h"

#include "anim/move_sounds.h"
#include "app/app_state.h"
#include "board/board_scene.h"
#include "game/game_end_state.h"
#include "game/game_model.h"
#include "game/replay.h"

namespace {

void (*clickReporter)(int row, int column) = nullptr;

// Every selection step goes to the peer in a network game; row and column 40 clear it there.
void report(int row, int column) {
    if (clickReporter && !localGame()) clickReporter(row, column);
}

} // namespace

void clearBoardSelection() {
    if (g_board) {
        g_board->showSelectMarker(nullptr);
        g_board->showTargetMarker(nullptr);
    }
    if (g_app) {
        g_game->selectedPiece = nullptr;
        g_game->chosenTarget = nullptr;
    }
}

void setSquareClickReporter(void (*report)(int row, int column)) {
    clickReporter = report;
}

void onBoardClick(KNodeGraph* node) {
    BoardScene* b = g_board;
    AppState* app = g_app;
    // 1. Clicks wait for the menu, the opponent, the glide and the player's own request.
    if (!b || !app || !node) return;
    // A finished game says so rather than ignoring the click.
    if (!g_game->boardLocked && !g_game->questionShown && refuseMoveAfterEnd()) return;
    if (!g_game->mayPlayerClickBoard()) return;
    // 2. The square clicked, directly or through the piece on it.
    SquareRecord* square = b->squareOfNode(node);
    PieceRecord* clickedPiece = square ? nullptr : b->pieceOfNode(node);
    if (clickedPiece) square = clickedPiece->square;
    if (!square) return;
    PieceRecord* selected = g_game->selectedPiece;

    // 3. Second click on the chosen target: the move is played (from an earlier position of a
    //    replay, once the player has agreed to drop the later moves).
    if (square == g_game->chosenTarget) {
        if (replayAsksBeforeMove(selected ? selected->square : nullptr, square)) return;
        report(square->row, square->column);
        bool played = g_game->tryMove(selected, square, true);
        clearBoardSelection();
        // A move the game record refused (the engine found it illegal) ends nothing.
        if (played) g_game->endTurn();
        return;
    }
    // 4. A square the selected piece may go to becomes the chosen target.
    if (selected && g_game->tryMove(selected, square, false)) {
        report(square->row, square->column);
        g_game->chosenTarget = square;
        b->showTargetMarker(square);
        return;
    }
    // 5. A piece of the side to move is selected.
    if (square->piece && square->piece->colour == g_game->sideToMove) {
        report(square->row, square->column);
        g_game->selectedPiece = square->piece;
        b->showSelectMarker(square);
        b->showTargetMarker(nullptr);
        g_game->chosenTarget = nullptr;
        return;
    }
    // 6. Anything else clears the selection; with a piece selected, the move is refused.
    if (selected) playGameSound(GameSound::Refused);
    report(40, 40);
    clearBoardSelection();
}
