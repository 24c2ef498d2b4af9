// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/move_list.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "app/app_state.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/pgn.h"
#include "game/settings.h"
#include "ui/interface.h"
#include "ui/side_bar.h"
#include "ui/text_overlay.h"
#include "ui/text_panel.h"

namespace {

constexpr float TEXT_SIZE = 0.8f;    // factor on the classic font's size
constexpr float LINE_SPACING = 1.3f; // line height over the drawn character height
constexpr int RESERVED_MOVES = 1024; // record copy kept without growing in long games
constexpr const char* WIDEST_LINE = "000. Qa1xb2+ Qa1xb2+";
const KColor BODY_COLOUR{0.05f, 0.07f, 0.11f, 0.66f};
const KColor FRAME_COLOUR{0.85f, 0.75f, 0.45f, 0.45f};
constexpr float TITLE_RGB[3] = {0.95f, 0.82f, 0.45f};
constexpr float OLDER_RGB[3] = {0.76f, 0.8f, 0.87f};
constexpr float LATER_RGB[3] = {0.45f, 0.47f, 0.52f}; // moves after the one a replay shows

struct MoveList {
    MoveListView view;
    std::vector<RecordedMove> shownRecord; // the record the lines were made from
    int shownPlies = 0;                    // and the moves the board showed then (a replay)
    bool linesValid = false;
    int layoutWidth = 0, layoutHeight = 0; // window size of the last layout
    int layoutBar = 0;                     // and the full screen's bar width then
    int lineHeight = 0, padding = 0;
} g_list;

void setColour(KTexte* t, const float rgb[3]) {
    t->r = rgb[0];
    t->g = rgb[1];
    t->b = rgb[2];
}

// Window width and height of the overlay's last layout, with the panel's sizes that follow. On
// a full screen's bar wide enough for it the panel leaves the board's h-file free.
void layOut(int w, int h) {
    MoveListView& v = g_list.view;
    const TextOverlay* o = g_ui ? g_ui->overlay : nullptr;
    if (!o || !o->classicFont) return;
    g_list.layoutWidth = w;
    g_list.layoutHeight = h;
    g_list.layoutBar = sideBarWidth();
    const float charHeight = o->classicFont->size * TEXT_SIZE;
    g_list.lineHeight = int(charHeight * LINE_SPACING + 0.5f);
    g_list.padding = w * 8 / 800;
    const int width = int(o->classicFont->TextWidth(WIDEST_LINE) * TEXT_SIZE) + 2 * g_list.padding;
    const int margin = w * 8 / 800;
    const int onBar = rightBarPanelX(w, width, margin);
    const int x = onBar >= 0 ? onBar : w - margin - width;
    const int y = h * 140 / 600; // under the turn sign of the top right corner
    v.body->x = x;
    v.body->y = y;
    v.body->width = width;
    v.frame->x = x - 1;
    v.frame->y = y - 1;
    v.frame->width = width + 2;
    v.title->x = x + g_list.padding;
    v.title->y = y + g_list.padding;
    for (int i = 0; i < MOVE_LIST_ROWS; ++i) {
        v.rows[i]->x = x + g_list.padding;
        v.rows[i]->y = y + g_list.padding + (i + 1) * g_list.lineHeight;
    }
}

// The panel's height follows the lines it holds.
void fitHeight() {
    MoveListView& v = g_list.view;
    v.body->height = 2 * g_list.padding + (v.rowsUsed + 1) * g_list.lineHeight;
    v.frame->height = v.body->height + 2;
}

bool recordChanged() {
    const GrowArray<RecordedMove>& moves = g_game->record.moves;
    const size_t n = size_t(moves.count);
    return !g_list.linesValid || g_list.shownRecord.size() != n ||
           g_list.shownPlies != g_game->record.ShownCount() ||
           (n > 0 && std::memcmp(g_list.shownRecord.data(), moves.block, n * sizeof(RecordedMove)));
}

// 1. The moves in SAN, replayed from the start on the engine (its game is put back).
// 2. The last MOVE_LIST_ROWS full moves into the rows, the latest one white. While a replay shows
//    an earlier position, its move is marked ('>' before it, the row gold) and kept in view, and
//    the moves after it are dimmed.
void rebuildLines() {
    const GrowArray<RecordedMove>& moves = g_game->record.moves;
    g_list.shownRecord.assign(moves.block, moves.block + moves.count);
    g_list.shownPlies = g_game->record.ShownCount();
    g_list.linesValid = true;
    ReplayedGame game;
    replay_recorded_game(moves.block, moves.count, game);
    const int plies = int(game.san.size());
    const int fullMoves = (plies + 1) / 2;
    const bool replaying = g_game->record.replayPlies >= 0;
    const int current = g_list.shownPlies - 1; // ply of the move shown last, -1 none
    int first = fullMoves > MOVE_LIST_ROWS ? fullMoves - MOVE_LIST_ROWS : 0;
    if (replaying && current >= 0 && current / 2 < first) first = current / 2;
    MoveListView& v = g_list.view;
    v.rowsUsed = fullMoves - first;
    for (int i = 0; i < MOVE_LIST_ROWS; ++i) {
        KTexte* row = v.rows[i];
        const int move = first + i;
        if (i >= v.rowsUsed) {
            row->SetTexte("");
            continue;
        }
        const std::string& white = game.san[size_t(2 * move)];
        const char* black = 2 * move + 1 < plies ? game.san[size_t(2 * move + 1)].c_str() : "";
        const bool markWhite = replaying && current == 2 * move;
        const bool markBlack = replaying && current == 2 * move + 1;
        char line[64];
        int length =
            std::snprintf(line, sizeof line, "%3d.%c%-7s%c%s", move + 1, markWhite ? '>' : ' ',
                          white.c_str(), markBlack ? '>' : ' ', black);
        while (length > 0 && line[length - 1] == ' ') // a line waiting for Black's move
            line[--length] = 0;
        row->SetTexte(line);
        if (markWhite || markBlack)
            setColour(row, TITLE_RGB);
        else if (replaying && 2 * move > current)
            setColour(row, LATER_RGB);
        else if (!replaying && i == v.rowsUsed - 1)
            row->r = row->g = row->b = 1.0f;
        else
            setColour(row, OLDER_RGB);
    }
    fitHeight();
}

void setShown(bool shown) {
    MoveListView& v = g_list.view;
    v.body->hidden = v.frame->hidden = shown ? 0 : 1;
    v.title->visible = shown ? 1 : 0;
    for (int i = 0; i < MOVE_LIST_ROWS; ++i)
        v.rows[i]->visible = shown && i < v.rowsUsed ? 1 : 0;
}

// Over the board only: not before a game, nor over the menu, the pause tour or the intro.
bool boardInView() {
    const AppState* app = g_app;
    return app && g_game->gameStarted && !g_game->menuOpen && !g_game->cameraView &&
           !g_game->introRunning;
}

} // namespace

void buildMoveList() {
    const TextOverlay* o = g_ui ? g_ui->overlay : nullptr;
    if (!g_scene || !o || !o->classicFont) return;
    MoveListView& v = g_list.view;
    v.frame = makePanelImage("moveListFrame", FRAME_COLOUR);
    v.body = makePanelImage("moveListBody", BODY_COLOUR);
    v.title = makeOverlayLine(o->classicFont, TEXT_SIZE, TITLE_RGB);
    v.title->SetTexte("Moves");
    for (KTexte*& row : v.rows) // coloured as their lines are made
        row = makeOverlayLine(o->classicFont, TEXT_SIZE, OLDER_RGB);
    g_list.shownRecord.reserve(RESERVED_MOVES);
    g_list.linesValid = false;
    layOut(o->screenWidth, o->screenHeight);
    fitHeight();
}

void moveListStep() {
    MoveListView& v = g_list.view;
    if (!v.body || !g_game) return;
    const bool shown = gameSettings().moveList && boardInView();
    if (!shown) {
        if (!v.body->hidden) setShown(false);
        return;
    }
    const TextOverlay* o = g_ui->overlay;
    if (o->screenWidth != g_list.layoutWidth || o->screenHeight != g_list.layoutHeight ||
        sideBarWidth() != g_list.layoutBar) {
        layOut(o->screenWidth, o->screenHeight);
        fitHeight();
    }
    if (recordChanged()) rebuildLines();
    setShown(true);
}

const MoveListView& moveListView() {
    return g_list.view;
}
