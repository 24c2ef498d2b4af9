// SPDX-License-Identifier: GPL-3.0-or-later
// Moves on the board's records: the record asked first, a capture, the links of piece and
// square, castling and promotion, the end of the turn with its check, mate and stalemate
// messages, the swap of colours. The glides and the nodes are the board's: it hears of them
// through the hooks (moveStarted, pieceTaken), fired where the records are ready for them.

#include "game/game_model.h"
#include "game/game_record.h"
#include "game/player_info.h"

namespace {

void linkPiece(PieceRecord* piece, SquareRecord* square) {
    square->piece = piece;
    piece->square = square;
    piece->row = square->row;
    piece->column = square->column;
}

} // namespace

void GameModel::sendToGraveyard(PieceRecord* piece) {
    if (!piece) return;
    if (piece->square && piece->square->piece == piece) piece->square->piece = nullptr;
    piece->square = nullptr;
    piece->row = -1;
    piece->column = -1;
    fireHook(hooks.pieceTaken, piece);
}

bool GameModel::startMove(PieceRecord* piece, SquareRecord* target, PieceRecord* rook) {
    SquareRecord* from = piece->square;
    // 1. The record first: a move the engine refuses is not played on the board.
    if (!record.RecordMove(from->row, from->column, target->row, target->column, sideToMove,
                           piece->kind, piece->index))
        return false;
    // A pawn's diagonal step onto an empty square takes en passant (tryMove takes the pawn).
    const bool enPassant = piece->kind == KIND_PAWN && !piece->promoted && !target->piece &&
                           target->column != from->column;
    fireHook(hooks.moveSoundStarted, target->piece || enPassant);
    // 2-3. A piece on the target is taken off at once; the origin is freed.
    if (target->piece) sendToGraveyard(target->piece);
    from->piece = nullptr;
    // 5. Records follow the move now; the node glides under the origin square meanwhile.
    linkPiece(piece, target);
    // A pawn on the last row moves as a queen from now on; it takes the queen's model when it
    // lands (the board's finishMove).
    if (piece->kind == KIND_PAWN && target->row == (piece->colour ? 7 : 0)) piece->promoted = 1;
    if (rook) {
        // The rook's records move with the king so that the end of the turn sees the castled
        // position; its node glides after the king's.
        SquareRecord* rookTo = &squares[target->row * 8 + (target->column == 2 ? 3 : 5)];
        rook->square->piece = nullptr;
        linkPiece(rook, rookTo);
    }
    // 4, 6-7. The glide.
    pieceInMotion = piece;
    castlingRook = rook;
    fireHook(hooks.moveStarted, piece, from, target, rook);
    return true;
}

PieceRecord* GameModel::pieceLanded() {
    PieceRecord* piece = pieceInMotion;
    pieceInMotion = nullptr;
    return piece;
}

void GameModel::endTurn() {
    sideToMove = 1 - sideToMove;
    fireHook(hooks.turnShown, sideToMove);
    selectedPiece = nullptr;
    awaitingOpponent = sideToMove != humanColour;
    // Mate or stalemate: the side to move has no move the board allows.
    if (hasLegalMove(sideToMove)) return;
    PieceRecord* king = pieceOf(sideToMove, KIND_KING, 0);
    int other = 1 - sideToMove;
    if (king && king->square && isAttacked(king->square, other))
        tellPlayer(other == 0 ? "CHECKMATE - Winner WHITE" : "CHECKMATE - Winner BLACK");
    else
        tellPlayer("1/2-1/2 {Stalemate}");
}

bool GameModel::computerToMove() {
    return !networkGame() && record.replayPlies < 0 && sideToMove != humanColour &&
           hasLegalMove(sideToMove);
}

void GameModel::swapColours() {
    humanColour = 1 - humanColour;
    awaitingOpponent = humanColour != sideToMove;
    fireHook(hooks.playerColourShown, humanColour);
    computerTurnIfDue();
}
