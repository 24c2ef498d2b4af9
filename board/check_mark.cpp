// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/check_mark.h"

#include "board/board_moves.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"

namespace {

// A warm red that reads on both marbles and differs from the target marks' bars (solid, not a
// tint); a touch of emission so that it glows in the board's shade too.
const KColor CHECK_RED{0.95f, 0.12f, 0.10f, 1.0f};
const KColor CHECK_GLOW{0.35f, 0.02f, 0.02f, 1.0f};

struct CheckMark {
    KNodeGraph* node = nullptr;
    int square = -1; // where it hangs now, -1 hidden
} g_check;

// The mark's object (the copy's own node or its first object below it) drawn in `red` wherever
// it uses the last-move material.
void recolour(KNodeGraph* node, KMaterial* from, KMaterial* red) {
    if (!node) return;
    if (KObject* o = node->AsObject()) {
        o->recolourFrom = from;
        o->recolourTo = red;
    }
    for (KNodeGraph* child : node->children)
        recolour(child, from, red);
}

} // namespace

void buildCheckMark() {
    g_check = CheckMark{};
    KNodeGraph* model = GetObjByName(g_scene, "caseLastMove");
    KMaterial* tint = GetMatByName(g_scene, "caseLastMoveMat");
    if (!model || !tint) {
        Log("Board: object \"caseLastMove\" not found, the check mark stays off\n");
        return;
    }
    KMaterial* red = new KMaterial(g_scene); // the scene owns and frees it
    red->name = "caseCheckMat";
    red->texture = tint->texture;
    red->options = tint->options;
    red->blend = tint->blend;
    red->noZWrite = tint->noZWrite;
    red->alphaCutoff = tint->alphaCutoff;
    red->opacity = 0.9f;
    red->diffuse = CHECK_RED;
    red->ambient = CHECK_RED;
    red->emissive = CHECK_GLOW;
    // The mark's parent may be null (buildMoveMarks detaches the model): copy it as it is.
    g_check.node = CopyNode(model, true, KCOPY_SHARED_MESHES);
    if (!g_check.node) return;
    g_check.node->hidden = 1;
    g_check.node->reflect = 0;
    recolour(g_check.node, tint, red);
}

int checkedKingSquare() {
    if (!g_game) return -1;
    const int side = g_game->sideToMove;
    const PieceRecord* king = g_game->pieceOf(side, KIND_KING, 0);
    if (!king || !king->square || !g_game->isAttacked(king->square, 1 - side)) return -1;
    return king->row * 8 + king->column;
}

void checkMarkStep() {
    KNodeGraph* mark = g_check.node;
    if (!mark || !g_board) return;
    const int square = checkedKingSquare();
    if (square == g_check.square) return;
    g_check.square = square;
    if (square < 0) {
        mark->hidden = 1;
        return;
    }
    KNodeGraph* at = g_game->squares[square].node;
    if (!at) {
        mark->hidden = 1;
        g_check.square = -1;
        return;
    }
    if (mark->parent != at) mark->InsertAsChildOf(at);
    mark->hidden = 0;
}

int shownCheckSquare() {
    const KNodeGraph* mark = g_check.node;
    if (!mark || mark->hidden || !mark->parent || !g_game) return -1;
    for (int s = 0; s < 64; ++s)
        if (g_game->squares[s].node == mark->parent) return s;
    return -1;
}
