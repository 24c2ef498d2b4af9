// Executing moves on the board: records, captures, glides, castling rook, promotion, the end of
// the turn and the camera travels.

#include "board/board_moves.h"
#include "board/camera_views.h"

#include "anim/anim_manager.h"
#include "anim/move_sounds.h"
#include "app/app_state.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/game_end_state.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/player_info.h"
#include "game/settings.h"
#include "game/unfinished_game.h"

namespace {

// Height of a piece's node above its square, with the matrix brought up to date first.
float nodeHeight(KNodeGraph* node) {
    node->prs.Refresh();
    return node->prs.pos.y;
}

// Writes the glide keys of a piece whose node hangs under square `from`, towards `to`, and
// starts the glide; keys are relative to the origin square.
void startGlide(PieceRecord* piece, const SquareRecord* from, const SquareRecord* to,
                void (*on_end)()) {
    if (!piece->node || !g_anim) return; // nothing to animate: the caller ends the glide
    KAnim* anim = g_anim->node_anims[ANIM_PIECE_MOVE];
    float h = nodeHeight(piece->node);
    anim->addKeyPos(0, 0, 0, 0);
    anim->addKeyPos(100, to->x - from->x, h, to->z - from->z);
    SetNodeAnim(piece->node, ANIM_PIECE_MOVE);
    StartNodeAnim(piece->node, ANIM_ONCE, KANIM_POS | KANIM_ROT, on_end);
}

void onGlideEnd() {
    finishMove(false);
}

// End of the castling king's glide: the rook follows. Its records were moved with the king's.
void onCastlingKingEnd() {
    BoardScene* b = g_board;
    PieceRecord* rook = g_game->castlingRook;
    finishMove(true);
    g_game->castlingRook = nullptr;
    if (!rook || !rook->square) {
        finishMove(false);
        return;
    }
    const SquareRecord* from = rook->node ? b->squareOfNode(rook->node->parent) : nullptr;
    g_game->pieceInMotion = rook;
    if (!from) { // no node under a square to glide from: lay it down at once
        finishMove(false);
        return;
    }
    startGlide(rook, from, rook->square, onGlideEnd);
}

void linkPiece(PieceRecord* piece, SquareRecord* square) {
    square->piece = piece;
    piece->square = square;
    piece->row = square->row;
    piece->column = square->column;
}

} // namespace

void sendToGraveyard(PieceRecord* piece) {
    if (!piece) return;
    if (piece->square && piece->square->piece == piece) piece->square->piece = nullptr;
    piece->square = nullptr;
    piece->row = -1;
    piece->column = -1;
    if (piece->node) piece->node->InsertAsChildOf(piece->graveyard);
}

bool startMove(PieceRecord* piece, SquareRecord* target, PieceRecord* rook) {
    SquareRecord* from = piece->square;
    // 1. The record first: a move the engine refuses is not played on the board.
    if (g_game && !g_game->record.RecordMove(from->row, from->column, target->row, target->column,
                                             g_game->sideToMove, piece->kind, piece->index))
        return false;
    // A pawn's diagonal step onto an empty square takes en passant (tryMove takes the pawn).
    const bool enPassant = piece->kind == KIND_PAWN && !piece->promoted && !target->piece &&
                           target->column != from->column;
    moveSoundStarted(target->piece || enPassant);
    // 2-3. A piece on the target is taken off at once; the origin is freed.
    if (target->piece) sendToGraveyard(target->piece);
    from->piece = nullptr;
    // 5. Records follow the move now; the node glides under the origin square meanwhile.
    linkPiece(piece, target);
    // A pawn on the last row moves as a queen from now on; it takes the queen's model when it
    // lands (finishMove).
    if (piece->kind == KIND_PAWN && target->row == (piece->colour ? 7 : 0)) piece->promoted = 1;
    if (rook) {
        // The rook's records move with the king so that the end of the turn sees the castled
        // position; its node glides after the king's.
        SquareRecord* rookTo = &g_game->squares[target->row * 8 + (target->column == 2 ? 3 : 5)];
        rook->square->piece = nullptr;
        linkPiece(rook, rookTo);
    }
    // 4, 6-7. The glide.
    g_game->pieceInMotion = piece;
    g_game->castlingRook = rook;
    startGlide(piece, from, target, rook ? onCastlingKingEnd : onGlideEnd);
    return true;
}

void finishMove(bool castlingKing) {
    BoardScene* b = g_board;
    PieceRecord* piece = g_game->pieceInMotion;
    g_game->pieceInMotion = nullptr;
    // 2-3. The glide's end pose becomes a plain position on the new square.
    if (piece && piece->node && piece->square) {
        piece->node->prs.CreateMatrix();
        float h = piece->node->prs.pos.y;
        piece->node->prs.SetPosition(0.0f, h, 0.0f);
        piece->node->InsertAsChildOf(piece->square->node);
    }
    if (piece && piece->promoted) b->setPromoted(piece, true);
    if (castlingKing) return;
    moveSoundLanded(); // the whole move has landed (a castling rook after its king)
    keepUnfinishedGame();
    // 4. The camera turns to the side to move, or the computer answers at once. The menu and
    // the pause view keep the camera: it turns, and the computer answers, when they close.
    if (g_anim && g_anim->game_view) {
        if (g_game->menuOrPauseShown()) {
            g_anim->view_index_saved = g_game->sideToMove;
        } else {
            CameraTravel(g_game->sideToMove, ComputerTurnCallback);
            g_anim->view_index = g_game->sideToMove;
        }
    } else {
        g_game->computerTurnIfDue();
    }
}

void endTurn() {
    g_game->sideToMove = 1 - g_game->sideToMove;
    fireHook(g_game->hooks.turnShown, g_game->sideToMove);
    if (g_app) {
        g_game->selectedPiece = nullptr;
        g_game->awaitingOpponent = g_game->sideToMove != g_game->humanColour;
    }
    // Mate or stalemate: the side to move has no move the board allows.
    if (hasLegalMove(g_game->sideToMove)) return;
    PieceRecord* king = g_game->pieceOf(g_game->sideToMove, KIND_KING, 0);
    int other = 1 - g_game->sideToMove;
    if (king && king->square && isAttacked(king->square, other))
        tellPlayer(other == 0 ? "CHECKMATE - Winner WHITE" : "CHECKMATE - Winner BLACK");
    else
        tellPlayer("1/2-1/2 {Stalemate}");
}

bool computerToMove() {
    return localGame() && g_game && g_game->record.replayPlies < 0 &&
           g_game->sideToMove != g_game->humanColour && hasLegalMove(g_game->sideToMove);
}

bool GameModel::mayComputerMove() {
    return localGame() && gameStarted && !boardInMotion() && !menuOrPauseShown() &&
           !gameFinished() && computerToMove();
}

void glidePiece(PieceRecord* piece, const SquareRecord* from, const SquareRecord* to,
                void (*on_end)()) {
    g_game->pieceInMotion = piece;
    if (!piece->node || !g_anim) {
        if (on_end) on_end();
        return;
    }
    startGlide(piece, from, to, on_end);
}

void swapColours() {
    g_game->humanColour = 1 - g_game->humanColour;
    if (g_app) g_game->awaitingOpponent = g_game->humanColour != g_game->sideToMove;
    fireHook(g_game->hooks.playerColourShown, g_game->humanColour);
    g_game->computerTurnIfDue();
}

void CameraTravel(int view, void (*on_end)()) {
    if (!g_anim || !g_board->camera) return;
    // A flight cut short hands its completion on (the menu's closing, the computer's answer).
    ReplaceNodeAnim(g_board->camera, view, view < ANIM_VIEW_MENU ? ANIM_EASE_OUT : ANIM_ONCE,
                    KANIM_POS | KANIM_ROT, on_end);
}

void CameraToGameView(bool stop_all, bool start, int view) {
    if (!g_anim) return;
    if (stop_all) StopAll();
    g_anim->view_index = view;
    g_anim->view_index_saved = view;
    if (!start) {
        g_anim->game_view = 0;
        return;
    }
    // A player who keeps the camera still (key A, kept in the settings) sees the game from
    // their own side.
    const bool follow = gameSettings().followSideToMove;
    if (!follow && g_app)
        view = g_anim->view_index = g_anim->view_index_saved = g_game->humanColour;
    CameraTravel(view, ComputerTurnCallback);
    g_anim->game_view = follow ? 1 : 0;
}
