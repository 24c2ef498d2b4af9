// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/move_line.h"

#include <cstdio>
#include <cstring>

#include "anim/move_sounds.h"
#include "app/app_state.h"
#include "board/board_scene.h"
#include "chess/position.h"
#include "engine/KivEngine.h"
#include "game/game_end_state.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/player_info.h"
#include "game/typed_move.h"
#include "ui/chat.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"
#include "ui/text_panel.h"

namespace {

constexpr int KEY_BACKSPACE = 8, KEY_ENTER = 13, KEY_SHIFT = 16, KEY_ESCAPE = 27;
constexpr int KEY_DELETE = 46, KEY_MINUS = 189, KEY_EQUALS = 187, KEY_PAD_MINUS = 109;
constexpr int TYPED_LIMIT = 10; // "exd8=Q+" and a little more
constexpr const char* PROMPT = "Move : ";
constexpr float TEXT_SIZE = 1.0f;
const KColor PANEL_COLOUR{0.05f, 0.07f, 0.11f, 0.82f};
const KColor FRAME_COLOUR{0.85f, 0.75f, 0.45f, 0.55f};

struct MoveLine {
    KImage2D* frame = nullptr;
    KImage2D* panel = nullptr;
    KTexte* text = nullptr;
    bool open = false;
    char typed[TYPED_LIMIT + 1] = "";
    int length = 0;
    bool waiting = false; // a move typed during a glide, played once the board is still
    char waitingText[TYPED_LIMIT + 1] = "";
    int waitingRecordCount = 0; // the record when it was typed: a changed game drops it
    char why[80] = "";          // the last refusal, kept for the info line
    bool refusalShown = false;  // `why` stays on the info line while its text stays on the line
    int layoutWidth = 0, layoutHeight = 0;
} g_line;

// Bottom centre, above the chat's lines, wide enough for the prompt and the longest move.
void layOut(int w, int h) {
    const TextOverlay* o = g_ui->overlay;
    char widest[64];
    std::snprintf(widest, sizeof widest, "%sQa1xb2=Q+__", PROMPT);
    const float width = o->classicFont->TextWidth(widest) * TEXT_SIZE;
    const float height = o->classicFont->size * TEXT_SIZE;
    const int pad = w * 10 / 800;
    g_line.panel->width = int(width) + 2 * pad;
    g_line.panel->height = int(height) + pad * 3 / 2;
    g_line.panel->x = w / 2 - g_line.panel->width / 2;
    g_line.panel->y = h - h * 110 / 600;
    g_line.text->x = g_line.panel->x + pad;
    g_line.text->y = g_line.panel->y + pad * 3 / 4;
    g_line.frame->x = g_line.panel->x - 1;
    g_line.frame->y = g_line.panel->y - 1;
    g_line.frame->width = g_line.panel->width + 2;
    g_line.frame->height = g_line.panel->height + 2;
    g_line.layoutWidth = w;
    g_line.layoutHeight = h;
}

void showText() {
    char line[64];
    std::snprintf(line, sizeof line, "%s%s_", PROMPT, g_line.typed);
    g_line.text->SetTexte(line);
}

void setShown(bool shown) {
    g_line.frame->hidden = g_line.panel->hidden = shown ? 0 : 1;
    g_line.text->visible = shown ? 1 : 0;
}

// Takes the refusal off the info line once the text it was about is changed or gone; a message
// shown since then (the computer's mate, the other player's request) stays.
void dropRefusal() {
    if (!g_line.refusalShown) return;
    g_line.refusalShown = false;
    const KTexte* info = g_ui->overlay->infoText;
    if (info && std::strcmp(info->texte, g_line.why) == 0) showInfo(false, false, nullptr);
}

void closeLine() {
    dropRefusal();
    g_line.open = false;
    g_line.typed[0] = 0;
    g_line.length = 0;
    if (g_line.text) setShown(false);
}

void refuse(const char* why) {
    std::snprintf(g_line.why, sizeof g_line.why, "%s", why);
    tellPlayer(g_line.why);
    // The refused text stays on the line to be corrected: its reason stays beside it, however
    // long the player takes to read it, instead of fading after two seconds.
    if (g_line.open) {
        showInfo(true, false, g_line.why);
        g_line.refusalShown = true;
    }
    playGameSound(GameSound::Refused);
}

// The move's three clicks on the board. The board (or the replay of an earlier position) may
// still refuse it: then the player is told.
void playTyped(const char* text) {
    const TypedMove typed = read_typed_move(text);
    if (typed.result != TypedMoveResult::Move) {
        if (typed.result != TypedMoveResult::Empty) refuse(typed.why);
        return;
    }
    const Move m = to_move(typed.move);
    const int before = g_game->record.moves.count;
    for (int square : {int(m.from), int(m.to), int(m.to)})
        g_game->clickSquare(square, ClickSource::MoveLine);
    if (g_game->record.moves.count == before && !g_game->questionShown) {
        char why[64];
        std::snprintf(why, sizeof why, "Illegal move : %s", text);
        refuse(why);
    }
}

// Enter on the line: the move is read now, so that a mistake is told at once; a good move waits
// for a glide to end.
void enter() {
    if (g_line.length == 0) {
        closeLine();
        return;
    }
    if (g_game->awaitingOpponent) {
        refuse("Not your move");
        return;
    }
    const TypedMove typed = read_typed_move(g_line.typed);
    if (typed.result != TypedMoveResult::Move) {
        refuse(typed.why);
        return;
    }
    char text[TYPED_LIMIT + 1];
    std::memcpy(text, g_line.typed, sizeof text);
    closeLine();
    if (refuseMoveAfterEnd()) return;
    if (g_game->mayPlayerClickBoard()) {
        playTyped(text);
        return;
    }
    g_line.waiting = true;
    std::memcpy(g_line.waitingText, text, sizeof text);
    g_line.waitingRecordCount = g_game->record.moves.count;
}

// Characters a move may hold: letters, digits, '-' and '=' ('x', '+' and '#' are letters or
// marks the reading skips).
char typedChar(int code) {
    const bool shift = g_app && g_app->keysDown[KEY_SHIFT];
    if (code == KEY_MINUS || code == KEY_PAD_MINUS) return '-';
    if (code == KEY_EQUALS) return shift ? '+' : '=';
    const char c = chatCharFor(code, shift);
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    return letter || (c >= '0' && c <= '9') ? c : 0;
}

} // namespace

void buildMoveLine() {
    const TextOverlay* o = g_ui ? g_ui->overlay : nullptr;
    if (!g_scene || !o || !o->classicFont) return;
    static constexpr float WHITE[3] = {1.0f, 1.0f, 1.0f};
    g_line.frame = makePanelImage("moveLineFrame", FRAME_COLOUR);
    g_line.panel = makePanelImage("moveLine", PANEL_COLOUR);
    g_line.text = makeOverlayLine(o->classicFont, TEXT_SIZE, WHITE);
    layOut(o->screenWidth, o->screenHeight);
    closeLine();
}

bool openMoveLine() {
    if (!g_line.text || !g_game->mayTypeMove()) return false;
    g_line.open = true;
    g_line.typed[0] = 0;
    g_line.length = 0;
    showText();
    setShown(true);
    return true;
}

bool moveLineKey(int code) {
    if (!g_line.open) return false;
    switch (code) {
    case KEY_ESCAPE:
        closeLine();
        return true;
    case KEY_ENTER:
        enter();
        if (g_line.open) showText();
        return true;
    case KEY_BACKSPACE:
    case KEY_DELETE:
        dropRefusal();
        if (g_line.length > 0) g_line.typed[--g_line.length] = 0;
        showText();
        return true;
    default:
        break;
    }
    const char c = typedChar(code);
    if (c && g_line.length < TYPED_LIMIT) {
        dropRefusal();
        g_line.typed[g_line.length++] = c;
        g_line.typed[g_line.length] = 0;
        showText();
    }
    return true; // every key while the line is open
}

void moveLineStep() {
    if (!g_line.text) return;
    if (g_line.open && !g_game->mayTypeMove()) closeLine();
    const TextOverlay* o = g_ui->overlay;
    if (g_line.open &&
        (o->screenWidth != g_line.layoutWidth || o->screenHeight != g_line.layoutHeight))
        layOut(o->screenWidth, o->screenHeight);
    if (!g_line.waiting) return;
    // Another game now, or the player turned to the menu or the pause view: the move no longer
    // waits (played when the menu closes, long after, it would come as a surprise).
    if (g_game->record.moves.count != g_line.waitingRecordCount || g_game->menuOrPauseShown()) {
        g_line.waiting = false;
        return;
    }
    if (!g_game->mayPlayerClickBoard() || !g_game->mayTypeMove()) return;
    g_line.waiting = false;
    playTyped(g_line.waitingText);
}

bool moveLineOpen() {
    return g_line.open;
}

const char* moveLineTyped() {
    return g_line.typed;
}
