// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/chat.h"

#include <cstring>

#include "anim/move_sounds.h"
#include "app/app_state.h"
#include "engine/KivEngine.h"
#include "ui/interface.h"
#include "ui/move_line.h"

namespace {

constexpr int KEY_TAB = 9, KEY_BACKSPACE = 8, KEY_ENTER = 13, KEY_ESCAPE = 27, KEY_DELETE = 46;
constexpr int KEY_SHIFT = 16;

TextOverlay* overlay() {
    return g_ui ? g_ui->overlay : nullptr;
}

KTexte* inputLine(TextOverlay& o) {
    return o.chatLines[o.chatRing];
}

bool chatOpen(const TextOverlay& o) {
    return o.chatLines[0] && o.chatLines[0]->visible;
}

// The input line moves up the ring: a fresh white line ">_" becomes the input line and every
// line goes to its row.
void endLine(TextOverlay& o) {
    o.chatRing = (o.chatRing + 1) % 4;
    for (int i = 0; i < 4; ++i)
        chatLinePlace(o, i);
    o.chatCursor = 1;
    KTexte* line = inputLine(o);
    std::memset(line->texte + 1, ' ', CHAT_LINE_LENGTH - 1);
    line->texte[0] = '>';
    line->texte[1] = '_';
    line->texte[CHAT_LINE_LENGTH] = 0;
    line->r = line->g = line->b = 1.0f;
}

// Sends the typed line to the peer. A game against the computer has no peer, so the line only
// stays in the local chat.
void sendLine(const char* line) {
    if (g_ui->screens.sendChatLine) g_ui->screens.sendChatLine(line);
}

} // namespace

// Line i stands on row (chatRing - i) mod 4 counted upwards from the bottom of the window.
void chatLinePlace(TextOverlay& o, int i) {
    KTexte* t = o.chatLines[i];
    if (!t) return;
    int row = ((o.chatRing - i) % 4 + 4) % 4;
    t->x = o.screenWidth * 25 / 800;
    t->y = o.screenHeight - (row * 12 + 25) * o.screenHeight / 600;
}

char chatCharFor(int code, bool shift) {
    if (code >= 65 && code <= 90) return char(shift ? code : code + 32);
    if (code >= 96 && code <= 105) return char('0' + code - 96);
    if (code == 32 || (code >= 48 && code <= 57)) return char(code);
    switch (code) {
    case 106:
        return '*';
    case 107:
        return '+';
    case 109:
        return '-';
    case 110:
        return '.';
    case 111:
        return '/';
    case 188:
        return shift ? '?' : '.';
    case 190:
        return shift ? '.' : ';';
    case 223:
        return shift ? char(167) : '!';
    case 191:
        return shift ? '/' : ':';
    default:
        return 0;
    }
}

bool chatKey(int code) {
    TextOverlay* o = overlay();
    if (!o || !o->chatLines[0]) return false;
    if (code == KEY_TAB) {
        for (KTexte* t : o->chatLines)
            t->visible = !t->visible;
        setChatPanelVisible(o->chatLines[0]->visible);
        return true;
    }
    if (!chatOpen(*o)) return false;
    char* s = inputLine(*o)->texte;
    int& p = o->chatCursor;
    if (code == KEY_ESCAPE) {
        std::memset(s + 1, ' ', p);
        s[1] = '_';
        p = 1;
        return true;
    }
    if (code == KEY_DELETE || code == KEY_BACKSPACE) {
        s[p] = ' ';
        p = p > 1 ? p - 1 : 1;
        s[p] = '_';
        return true;
    }
    if (code == KEY_ENTER && p > 1) {
        s[p] = ' ';
        sendLine(s);
        endLine(*o);
        return true;
    }
    if (p > CHAT_LAST_COLUMN) return true; // the line is full
    bool shift = g_app && g_app->keysDown[KEY_SHIFT];
    char c = chatCharFor(code, shift);
    if (c == 0) return true; // swallowed while the chat is open
    s[p] = c;
    ++p;
    s[p] = '_';
    return true;
}

void chatReceived(const unsigned char* message) {
    TextOverlay* o = overlay();
    if (!o || !o->chatLines[0] || !message) return;
    if (!chatOpen(*o)) {
        for (KTexte* t : o->chatLines)
            t->visible = 1;
        setChatPanelVisible(true);
    }
    if (o->chatCursor > 1) {
        // What the local player had typed goes out first, as a line of its own.
        char* s = inputLine(*o)->texte;
        s[o->chatCursor] = ' ';
        sendLine(s);
        endLine(*o);
    }
    KTexte* line = inputLine(*o);
    line->r = 0.4f;
    line->g = 0.6f;
    line->b = 1.0f;
    std::memcpy(line->texte + 1, message + 3, CHAT_LAST_COLUMN);
    endLine(*o);
    playGameSound(GameSound::Chat);
}

void setChatPanelVisible(bool show) {
    if (g_ui && g_ui->chat) g_ui->chat->hidden = show ? 0 : 1;
}

bool textKey(int code) {
    if (!g_ui) return false;
    if (moveLineKey(code)) return true;
    if (!g_ui->saveScreenOpen && chatKey(code)) return true;
    if (g_ui->saveScreenOpen && g_ui->screens.saveNameKey && g_ui->screens.saveNameKey(code))
        return true;
    if (!g_ui->connectScreenOpen) return false;
    return g_ui->screens.addressKey ? g_ui->screens.addressKey(code) : false;
}
