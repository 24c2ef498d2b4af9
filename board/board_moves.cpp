// SPDX-License-Identifier: GPL-3.0-or-later
// The moves' pictures on the board: the glides of a piece (and of the castling rook after its
// king), a taken piece's node parked in its graveyard, the landing with its promotion, sound and
// camera turn, and the camera travels. The records move in the game model (game/board_moves.cpp),
// which tells of each move through its hooks.

#include "board/board_moves.h"
#include "board/camera_views.h"

#include "anim/anim_manager.h"
#include "anim/move_sounds.h"
#include "app/app_state.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "game/game_record.h"
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

} // namespace

void parkTakenPiece(PieceRecord* piece) {
    if (piece->node) piece->node->InsertAsChildOf(piece->graveyard);
}

void startMoveGlide(PieceRecord* piece, const SquareRecord* from, const SquareRecord* to,
                    PieceRecord* rook) {
    startGlide(piece, from, to, rook ? onCastlingKingEnd : onGlideEnd);
}

void finishMove(bool castlingKing) {
    BoardScene* b = g_board;
    PieceRecord* piece = g_game->pieceLanded();
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

void glidePiece(PieceRecord* piece, const SquareRecord* from, const SquareRecord* to,
                void (*on_end)()) {
    g_game->pieceInMotion = piece;
    if (!piece->node || !g_anim) {
        if (on_end) on_end();
        return;
    }
    startGlide(piece, from, to, on_end);
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
