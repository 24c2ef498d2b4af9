// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/board_scene.h"

#include "anim/anim_manager.h"
#include "board/frame_labels.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"

KScene* g_scene = nullptr;
KShell* g_root = nullptr;
BoardScene* g_board = nullptr;

namespace {

// The first mesh in the subtree of `node`, depth first: the model of a piece.
KObject* firstObject(KNodeGraph* node) {
    if (!node) return nullptr;
    if (KObject* o = node->AsObject(); o && o->mesh) return o;
    for (KNodeGraph* c : node->children)
        if (KObject* o = firstObject(c)) return o;
    return nullptr;
}

KNodeGraph* lookUp(const char* name) {
    KNodeGraph* n = GetObjByName(g_scene, name);
    if (!n) Log("Board: object \"%s\" not found\n", name);
    return n;
}

void park(KNodeGraph* marker, KNodeGraph* camera) {
    if (marker) marker->InsertAsChildOf(camera);
}

} // namespace

void BoardScene::reset(int32_t colour) {
    settlePieces();
    for (PieceRecord* p : g_game->pieces)
        setPromoted(p, false);
    g_game->resetBoard(colour);
    for (PieceRecord* p : g_game->pieces)
        if (p->node && p->square->node) p->node->InsertAsChildOf(p->square->node);
    showSelectMarker(nullptr);
}

void BoardScene::settlePieces() {
    for (PieceRecord* p : g_game->pieces) {
        if (!p->node) continue;
        if (NodeAnimEntry* e = FindNodeEntry(p->node)) e->state = ANIM_STOPPED;
        KPRS& t = p->node->prs;
        if (t.pos.x != 0.0f || t.pos.z != 0.0f) t.SetPosition(0.0f, t.pos.y, 0.0f);
        if (p->promoted) setPromoted(p, true); // a promotion whose glide did not land
    }
    g_game->pieceInMotion = nullptr;
    g_game->castlingRook = nullptr;
}

void BoardScene::loadDecorAndBoard() {
    LoadSceneFromFILE(g_scene, ".\\M3D\\Decor.m3d", g_root);
    dome = lookUp("dome");
    // The night sky is the largest picture on the board and never changes: it is sent as
    // brightness and colour apart, 3 MB instead of 8.
    if (KMaterial* sky = GetMatByName(g_scene, "sky"); sky && sky->texture)
        sky->texture->lumaChroma = 1;
    LoadSceneFromFILE(g_scene, ".\\M3D\\Case.m3d", nullptr);
    boardPivot = new KShell(g_scene);
    boardPivot->InsertAsChildOf(g_root);
    camera = lookUp("camera");
    if (camera) {
        camera->InsertAsChildOf(g_root);
        camera->prs.SetPosition(3.5f, 5.0f, 9.5f);
        camera->prs.SetAngles(-45.0f, 0.0f, 0.0f);
    }
    boardGroup = new KShell(g_scene);
    boardGroup->InsertAsChildOf(boardPivot);
    lightPivot1 = new KShell(g_scene);
    lightPivot1->InsertAsChildOf(boardGroup);
    lightPivot1->prs.SetPosition(3.5f, 5.0f, 3.5f);
    lightPivot2 = new KShell(g_scene);
    lightPivot2->InsertAsChildOf(boardGroup);
    lightPivot2->prs.SetPosition(3.5f, 10.0f, 3.5f);
    light1 = lookUp("light");
    light2 = lookUp("light2");
    if (light1) {
        light1->InsertAsChildOf(lightPivot1);
        light1->prs.SetPosition(0, 0, 0);
    }
    if (light2) {
        light2->InsertAsChildOf(lightPivot2);
        light2->prs.SetPosition(0, 0, 0);
    }
    // The templates are detached so that only their copies are drawn.
    KNodeGraph* dark = lookUp("caseR");
    KNodeGraph* light = lookUp("caseB");
    if (dark) dark->InsertAsChildOf(nullptr);
    if (light) light->InsertAsChildOf(nullptr);
    for (SquareRecord& s : g_game->squares) {
        // Nothing edits one square's mesh on its own: all of a colour show the template's.
        KNodeGraph* copy =
            CopyNode((s.row + s.column) % 2 == 0 ? dark : light, true, KCOPY_SHARED_MESHES);
        if (!copy) copy = new KShell(g_scene); // keep the board's records whole without models
        copy->tag = SQUARE_TAG;
        copy->InsertAsChildOf(boardGroup);
        copy->prs.SetPosition(s.x, s.y, s.z);
        s.node = copy;
    }
    selectMarkerWhite = lookUp("caseSelectB");
    selectMarkerBlack = lookUp("caseSelectN");
    targetMarkerBlack = lookUp("caseDestN");
    targetMarkerWhite = lookUp("caseDestB");
    park(selectMarkerWhite, camera);
    park(selectMarkerBlack, camera);
    park(targetMarkerBlack, camera);
    park(targetMarkerWhite, camera);
    LoadSceneFromFILE(g_scene, ".\\M3D\\echiquier.m3d", nullptr);
    if (KNodeGraph* frame = lookUp("echiq")) frame->InsertAsChildOf(boardPivot);
    loadFrameLabelPictures();
}

void BoardScene::loadPieces() {
    graveyardNode = new KShell(g_scene);
    graveyardNode->InsertAsChildOf(camera);
    graveyardNode->prs.SetPosition(2.0f, 0.0f, 50.0f);
    LoadSceneFromFILE(g_scene, ".\\M3D\\ChessBoardN.M3D", nullptr);
    LoadSceneFromFILE(g_scene, ".\\M3D\\ChessBoardB.M3D", nullptr);
    static const char* const names[6][2] = {{"pionB", "pionN"}, {"dameB", "dameN"},
                                            {"roiB", "roiN"},   {"fouB", "fouN"},
                                            {"cavaB", "cavaN"}, {"tourB", "tourN"}};
    // A black piece has the white one's shape (all but the knights, which face their own
    // side): it shows the white mesh in ebony, and the black copy goes (about 3 MB with the
    // GPU's copies).
    for (const auto& pair : names) {
        KNodeGraph* white = lookUp(pair[0]);
        KNodeGraph* black = lookUp(pair[1]);
        KObject* w = white ? firstObject(white) : nullptr;
        KObject* b = black ? firstObject(black) : nullptr;
        if (w && b) b->ShareShapeOf(*w);
    }
    for (int kind = KIND_PAWN; kind <= KIND_ROOK; ++kind)
        for (int colour = 0; colour < 2; ++colour) {
            KNodeGraph* model = lookUp(names[kind - KIND_PAWN][colour]);
            KNodeGraph* previous = nullptr;
            for (int index = 0; index < 8; ++index) {
                PieceRecord* p = g_game->pieceOf(colour, kind, index);
                if (!p) break;
                // The pieces of a kind and colour show their model's one mesh (a promotion
                // swaps the mesh, it never edits it), so it is held and sent to the GPU once.
                KNodeGraph* node =
                    index == 0 ? model : CopyNode(previous, true, KCOPY_SHARED_MESHES);
                if (!node) node = new KShell(g_scene);
                node->tag = kind;
                p->node = node;
                p->graveyard = graveyardNode;
                KObject* o = firstObject(node);
                p->ownMesh = o ? o->mesh : nullptr;
                if (p->square)
                    node->InsertAsChildOf(p->square->node);
                else
                    node->InsertAsChildOf(graveyardNode);
                previous = node;
            }
        }
}

SquareRecord* BoardScene::squareOfNode(const KNodeGraph* node) {
    if (!node) return nullptr;
    for (SquareRecord& s : g_game->squares)
        if (s.node == node) return &s;
    return nullptr;
}

PieceRecord* BoardScene::pieceOfNode(const KNodeGraph* node) const {
    if (!node) return nullptr;
    for (PieceRecord* p : g_game->pieces)
        if (p->node == node) return p;
    return nullptr;
}

void BoardScene::showSelectMarker(SquareRecord* square) {
    KNodeGraph* shown = g_game->sideToMove == 0 ? selectMarkerWhite : selectMarkerBlack;
    KNodeGraph* other = g_game->sideToMove == 0 ? selectMarkerBlack : selectMarkerWhite;
    park(other, camera);
    if (square && shown && square->node)
        shown->InsertAsChildOf(square->node);
    else
        park(shown, camera);
}

void BoardScene::showTargetMarker(SquareRecord* square) {
    KNodeGraph* shown = g_game->sideToMove == 0 ? targetMarkerWhite : targetMarkerBlack;
    KNodeGraph* other = g_game->sideToMove == 0 ? targetMarkerBlack : targetMarkerWhite;
    park(other, camera);
    if (square && shown && square->node)
        shown->InsertAsChildOf(square->node);
    else
        park(shown, camera);
}

void BoardScene::setBoardVisible(bool show) {
    if (boardPivot) boardPivot->hidden = show ? 0 : 1;
}

void BoardScene::setPromoted(PieceRecord* piece, bool promoted) {
    if (!piece || piece->kind != KIND_PAWN) return;
    piece->promoted = promoted ? 1 : 0;
    KObject* model = firstObject(piece->node);
    if (!model) return;
    KMesh* mesh = piece->ownMesh;
    if (promoted) {
        PieceRecord* queen = g_game->pieceOf(piece->colour, KIND_QUEEN, 0);
        if (KObject* q = queen ? firstObject(queen->node) : nullptr) mesh = q->mesh;
    }
    if (mesh && model->mesh != mesh) model->SetMesh(mesh);
    piece->node->tag = promoted ? KIND_QUEEN : KIND_PAWN;
}
