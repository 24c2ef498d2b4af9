// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/move_marks.h"

#include <algorithm>

#include "app/app_state.h"
#include "board/board_scene.h"
#include "chess/notation.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/settings.h"

namespace {

constexpr int MAX_QUIET_TARGETS = 27; // a queen in the middle of an empty board
constexpr int MAX_CAPTURES = 8;       // one per direction (queen), one per jump (knight)
constexpr float SUGGEST_FADE_SECONDS = 0.5f;

// What the marks were last laid out for; the step compares it with the game's state.
struct MarkState {
    int recordCount = -1;
    RecordedMove lastRecorded = 0;
    PieceRecord* selected = nullptr;
    bool hintsOn = false;
    bool lastOn = false;
    bool ownTurn = false;
    bool operator==(const MarkState&) const = default;
};

struct Marks {
    KNodeGraph* lastMove[2] = {};
    KNodeGraph* suggest[2] = {};
    KNodeGraph* dots[MAX_QUIET_TARGETS] = {};
    KNodeGraph* rings[MAX_CAPTURES] = {};
    KMaterial* suggestMaterial = nullptr;
    float suggestOpacity = 1;    // the material's own opacity, restored for each suggestion
    float suggestSeconds = 0;    // left to show; 0 when none
    unsigned suggestStamp = 0;   // clock stamp of the last step
    int suggestRecordCount = -1; // the record when it was shown: a move played takes it away
    MarkState laidOut;
} g_marks;

// The mark objects are templates: `count` copies of them, detached and hidden.
void makeCopies(const char* name, KNodeGraph** out, int count) {
    KNodeGraph* model = GetObjByName(g_scene, name);
    if (!model) {
        Log("Board: object \"%s\" not found, its marks stay off\n", name);
        return;
    }
    model->InsertAsChildOf(nullptr);
    for (int i = 0; i < count; ++i) {
        out[i] = CopyNode(model, true, KCOPY_SHARED_MESHES); // marks are only moved and hidden
        if (!out[i]) continue;
        out[i]->hidden = 1;
        out[i]->reflect = 0; // lying on the polished squares, a reflection would only darken it
    }
}

void place(KNodeGraph* mark, int square) {
    if (!mark || !g_board) return;
    KNodeGraph* at = g_game->squares[square].node;
    if (mark->parent != at) mark->InsertAsChildOf(at);
    mark->hidden = 0;
}

void hide(KNodeGraph* mark) {
    if (mark) mark->hidden = 1;
}

template <int N> void hideAll(KNodeGraph* const (&marks)[N]) {
    for (KNodeGraph* m : marks)
        hide(m);
}

template <int N> uint64_t squaresOf(KNodeGraph* const (&marks)[N]) {
    uint64_t bits = 0;
    for (KNodeGraph* m : marks) {
        if (!m || m->hidden || !m->parent) continue;
        for (int s = 0; s < 64; ++s)
            if (g_game->squares[s].node == m->parent) bits |= uint64_t(1) << s;
    }
    return bits;
}

void layOutLastMove(const MarkState& st) {
    if (!st.lastOn || st.recordCount <= 0) {
        hideAll(g_marks.lastMove);
        return;
    }
    const RecordedMove m = st.lastRecorded;
    place(g_marks.lastMove[0], rm_from_row(m) * 8 + rm_from_column(m));
    place(g_marks.lastMove[1], rm_to_row(m) * 8 + rm_to_column(m));
}

void layOutHints(const MarkState& st) {
    hideAll(g_marks.dots);
    hideAll(g_marks.rings);
    if (!st.hintsOn || !st.ownTurn || !st.selected) return;
    uint64_t quiet = 0, captures = 0;
    legalTargets(st.selected, quiet, captures);
    int dot = 0, ring = 0;
    for (int s = 0; s < 64; ++s) {
        const uint64_t bit = uint64_t(1) << s;
        if ((quiet & bit) && dot < MAX_QUIET_TARGETS) place(g_marks.dots[dot++], s);
        if ((captures & bit) && ring < MAX_CAPTURES) place(g_marks.rings[ring++], s);
    }
}

MarkState currentState() {
    MarkState st;
    const GameSettings& settings = gameSettings();
    st.recordCount = g_game ? g_game->record.ShownCount() : 0; // a replay's position, or the game's
    st.lastRecorded = st.recordCount > 0 ? g_game->record.moves[st.recordCount - 1] : 0;
    st.selected = g_app ? g_game->selectedPiece : nullptr;
    st.hintsOn = settings.moveHints;
    st.lastOn = settings.lastMoveMarks;
    st.ownTurn = g_app && !g_game->awaitingOpponent;
    return st;
}

void suggestionStep(int recordCount) {
    if (g_marks.suggestSeconds <= 0) return;
    g_marks.suggestSeconds -= GetTimePassed(&g_marks.suggestStamp);
    if (g_marks.suggestSeconds <= 0 || recordCount != g_marks.suggestRecordCount) {
        g_marks.suggestSeconds = 0;
        hideAll(g_marks.suggest);
        return;
    }
    // The marks fade out over their last moments, then go.
    KWakeWithin(std::max(0.0f, g_marks.suggestSeconds - SUGGEST_FADE_SECONDS));
    if (KMaterial* mat = g_marks.suggestMaterial) {
        const float fade = g_marks.suggestSeconds < SUGGEST_FADE_SECONDS
                               ? g_marks.suggestSeconds / SUGGEST_FADE_SECONDS
                               : 1.0f;
        mat->opacity = g_marks.suggestOpacity * fade;
        mat->changed = 1;
    }
}

} // namespace

void legalTargets(PieceRecord* piece, uint64_t& quiet, uint64_t& captures) {
    quiet = captures = 0;
    if (!g_board || !piece || !piece->square) return;
    // Against the computer the engine must also find the move legal; it holds the game's
    // position (the local player's turn, nothing searching).
    Move legal[MAX_LEGAL_MOVES];
    const bool engineDecides = localGame();
    const int legalCount = engineDecides ? legal_moves(legal) : 0;
    const int from = piece->row * 8 + piece->column;
    for (int s = 0; s < 64; ++s) {
        SquareRecord* target = &g_game->squares[s];
        if (!g_game->tryMove(piece, target, false)) continue;
        bool engineAllows = !engineDecides;
        for (int i = 0; i < legalCount && !engineAllows; ++i)
            engineAllows = legal[i].from == from && legal[i].to == s;
        if (!engineAllows) continue;
        // A pawn's step to the side lands on an empty square only when it takes en passant.
        const bool takes = target->piece || (piece->kind == KIND_PAWN && !piece->promoted &&
                                             target->column != piece->column);
        (takes ? captures : quiet) |= uint64_t(1) << s;
    }
}

void buildMoveMarks() {
    makeCopies("caseLastMove", g_marks.lastMove, 2);
    makeCopies("caseSuggest", g_marks.suggest, 2);
    makeCopies("caseMoveDot", g_marks.dots, MAX_QUIET_TARGETS);
    makeCopies("caseMoveRing", g_marks.rings, MAX_CAPTURES);
    g_marks.suggestMaterial = GetMatByName(g_scene, "caseSuggestMat");
    if (g_marks.suggestMaterial) g_marks.suggestOpacity = g_marks.suggestMaterial->opacity;
    g_marks.laidOut = MarkState{};
}

void moveMarksStep() {
    if (!g_board) return;
    const MarkState st = currentState();
    suggestionStep(st.recordCount);
    if (st == g_marks.laidOut) return;
    const MarkState before = g_marks.laidOut;
    g_marks.laidOut = st;
    if (st.lastOn != before.lastOn || st.recordCount != before.recordCount ||
        st.lastRecorded != before.lastRecorded)
        layOutLastMove(st);
    layOutHints(st);
}

void showSuggestedMove(int from, int to, float seconds) {
    if (from < 0 || from > 63 || to < 0 || to > 63 || seconds <= 0) return;
    place(g_marks.suggest[0], from);
    place(g_marks.suggest[1], to);
    g_marks.suggestSeconds = seconds;
    GetTimePassed(&g_marks.suggestStamp);
    g_marks.suggestRecordCount = g_game ? g_game->record.ShownCount() : 0;
    if (KMaterial* mat = g_marks.suggestMaterial) {
        mat->opacity = g_marks.suggestOpacity;
        mat->changed = 1;
    }
}

ShownMarks shownMoveMarks() {
    ShownMarks shown;
    if (!g_board) return shown;
    shown.lastMove = squaresOf(g_marks.lastMove);
    shown.quiet = squaresOf(g_marks.dots);
    shown.captures = squaresOf(g_marks.rings);
    shown.suggested = squaresOf(g_marks.suggest);
    return shown;
}
