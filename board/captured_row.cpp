// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/captured_row.h"

#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/game_array.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/recorded_move.h"

namespace {

constexpr int PIECES = 32;
constexpr int PER_LINE = 8;
constexpr float PIECE_SCALE = 0.6f;
constexpr float SPACING = 0.55f;    // between two pieces of a line, along the edge
constexpr float FIRST_LINE = 1.5f;  // from the outer squares' centres: past the frame's rim
constexpr float LINE_GAP = 0.55f;   // between the two lines
constexpr float TABLE_TOP = -0.25f; // the table's surface under the board's group
constexpr float BOARD_CENTRE = 3.5f;

struct Row {
    KShell* group = nullptr;
    KNodeGraph* own[PIECES] = {};   // each piece's own model, or null (kings)
    KNodeGraph* queen[PIECES] = {}; // a pawn's model after its promotion
    float baseY[PIECES] = {};       // the model's height above its square, at full size
    float queenY[PIECES] = {};
    int shown[2][16] = {}; // by the colour of the pieces taken
    int shownCount[2] = {};
    // What the row was laid out for.
    uint32_t offBoard = 0xffffffffu;
    uint32_t promoted = 0;
    int recordShown = -1;
    int recordCount = -1;
    int farEnd = -1; // the row (0 or 7) at the far end from the camera: the lines start there
} g_row;

GrowArray<PieceId> g_taken; // the shown position's captures, in order; grown at start-up

int pieceSlot(const PieceRecord* p) {
    for (int i = 0; i < PIECES; ++i)
        if (g_game->pieces[i] == p) return i;
    return -1;
}

void untag(KNodeGraph* node) {
    node->tag = 0;
    for (KNodeGraph* c : node->children)
        untag(c);
}

KNodeGraph* copyOf(KNodeGraph* model, float& y) {
    if (!model) return nullptr;
    KNodeGraph* copy = CopyNode(model, true, KCOPY_SHARED_MESHES);
    if (!copy) return nullptr;
    untag(copy);
    copy->hidden = 1;
    copy->InsertAsChildOf(g_row.group);
    model->prs.Refresh();
    y = model->prs.pos.y;
    copy->prs.SetScale(PIECE_SCALE);
    return copy;
}

// Where slot `n` of the pieces of `colour` stands, under the board's group. White's pieces were
// taken by Black, who keeps them on its right hand, the a-file side; Black's were taken by White,
// on the h-file side. Both lines start at the far end as the camera looks, where the view shows
// most of the table.
void slotPlace(int colour, int n, float& x, float& z) {
    const int line = n / PER_LINE, along = n % PER_LINE;
    const float out = FIRST_LINE + line * LINE_GAP;
    x = colour == 1 ? 7.0f + out : -out;
    z = g_row.farEnd == 0 ? along * SPACING : 7.0f - along * SPACING;
}

// The board row at the far end from the camera's eye: 0 (rank 8) seen from White's half.
int farEnd() {
    const BoardScene* b = g_board;
    if (!b->camera) return 0;
    const KVector eye = b->camera->GetWorldMatrix().GetTrans();
    const KVector local = b->boardGroup->GetWorldMatrix().Inverse().TransformPoint(eye);
    return local.z >= BOARD_CENTRE ? 0 : 7;
}

bool inList(const int* list, int count, int piece) {
    for (int i = 0; i < count; ++i)
        if (list[i] == piece) return true;
    return false;
}

void addShown(int piece) {
    const PieceRecord* p = g_game->pieces[piece];
    int& n = g_row.shownCount[p->colour];
    if (n < 16 && !inList(g_row.shown[p->colour], n, piece)) g_row.shown[p->colour][n++] = piece;
}

void layOut() {
    for (int i = 0; i < PIECES; ++i) {
        if (g_row.own[i]) g_row.own[i]->hidden = 1;
        if (g_row.queen[i]) g_row.queen[i]->hidden = 1;
    }
    g_row.shownCount[0] = g_row.shownCount[1] = 0;
    // The record's captures up to the shown position, in order; then whatever else is off.
    const GameRecord& record = g_game->record;
    PieceId ids[64];
    start_square_ids(ids);
    g_taken.clear();
    for (int i = 0; i < record.ShownCount(); ++i)
        apply_recorded_move(record.moves[i], ids, nullptr, &g_taken, false);
    for (PieceId id : g_taken) {
        const PieceRecord* p = g_game->pieceOf(id_colour(id), id_kind(id), id_index(id));
        const int slot = p ? pieceSlot(p) : -1;
        if (slot >= 0 && !p->square && g_row.own[slot]) addShown(slot);
    }
    for (int i = 0; i < PIECES; ++i)
        if (g_row.own[i] && !g_game->pieces[i]->square) addShown(i);
    for (int colour = 0; colour < 2; ++colour)
        for (int n = 0; n < g_row.shownCount[colour]; ++n) {
            const int piece = g_row.shown[colour][n];
            const bool asQueen = g_game->pieces[piece]->promoted && g_row.queen[piece];
            KNodeGraph* node = asQueen ? g_row.queen[piece] : g_row.own[piece];
            float x, z;
            slotPlace(colour, n, x, z);
            node->prs.SetPosition(x, (asQueen ? g_row.queenY : g_row.baseY)[piece] * PIECE_SCALE,
                                  z);
            node->hidden = 0;
        }
}

} // namespace

void buildCapturedRow() {
    BoardScene* b = g_board;
    g_row = Row{};
    if (!b || !b->boardGroup || !g_game) return;
    g_row.group = new KShell(g_scene);
    g_row.group->InsertAsChildOf(b->boardGroup);
    g_row.group->prs.SetPosition(0.0f, TABLE_TOP, 0.0f);
    for (int i = 0; i < PIECES; ++i) {
        const PieceRecord* p = g_game->pieces[i];
        if (!p || p->kind == KIND_KING) continue;
        g_row.own[i] = copyOf(p->node, g_row.baseY[i]);
        if (p->kind == KIND_PAWN)
            if (const PieceRecord* q = g_game->pieceOf(p->colour, KIND_QUEEN, 0))
                g_row.queen[i] = copyOf(q->node, g_row.queenY[i]);
    }
    for (int i = 0; i < PIECES; ++i) // room for every capture, so the frames never grow it
        g_taken.push(NO_PIECE);
    g_taken.clear();
}

void capturedRowStep() {
    if (!g_row.group || !g_game) return;
    uint32_t off = 0, promoted = 0;
    for (int i = 0; i < PIECES; ++i) {
        const PieceRecord* p = g_game->pieces[i];
        if (!p) continue;
        if (!p->square) off |= 1u << i;
        if (p->promoted) promoted |= 1u << i;
    }
    const GameRecord& record = g_game->record;
    const int far = farEnd();
    if (off == g_row.offBoard && promoted == g_row.promoted &&
        record.ShownCount() == g_row.recordShown && record.moves.count == g_row.recordCount &&
        far == g_row.farEnd)
        return;
    g_row.farEnd = far;
    g_row.offBoard = off;
    g_row.promoted = promoted;
    g_row.recordShown = record.ShownCount();
    g_row.recordCount = record.moves.count;
    layOut();
}

int shownCapturedPieces(int colour, int out[16]) {
    if (!g_row.group || colour < 0 || colour > 1) return 0;
    int count = 0;
    for (int n = 0; n < g_row.shownCount[colour]; ++n) {
        const int piece = g_row.shown[colour][n];
        const bool asQueen = g_game->pieces[piece]->promoted && g_row.queen[piece];
        const KNodeGraph* node = asQueen ? g_row.queen[piece] : g_row.own[piece];
        if (node && !node->hidden) out[count++] = piece;
    }
    return count;
}

int materialBalance() {
    if (!g_game) return 0;
    int balance = 0;
    for (const PieceRecord* p : g_game->pieces) {
        if (!p || !p->square) continue;
        int value = 0;
        switch (movingKind(p)) {
        case KIND_PAWN:
            value = 1;
            break;
        case KIND_KNIGHT:
        case KIND_BISHOP:
            value = 3;
            break;
        case KIND_ROOK:
            value = 5;
            break;
        case KIND_QUEEN:
            value = 9;
            break;
        default:
            break;
        }
        balance += p->colour == 0 ? value : -value;
    }
    return balance;
}
