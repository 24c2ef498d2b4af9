// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/connect_screen.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/settings.h"
#include "platform/win32.h"
#include "ui/fades.h"
#include "ui/file_list.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"
#include "ui/typed_line.h"

namespace {

constexpr int VK_DECIMAL = 110; // the numeric pad's point
constexpr int VK_OEM_PERIOD = 190;
constexpr int ADDRESS_GROUPS = 4;
constexpr int GROUP_DIGITS_MAX = 3;
constexpr int GROUP_VALUE_MAX = 255;
constexpr float OK_X = 0.455f, OK_Y = 0.481f; // the OK mark's place on the list screens
constexpr float OK_ADDRESS_X = 0.459f, OK_ADDRESS_Y = 0.165f, OK_Z = -1.8f;
constexpr float OK_ADDRESS_OPACITY = 0.4f;

TextOverlay* overlay() {
    return g_ui ? g_ui->overlay : nullptr;
}

KTexte* addressLine() {
    TextOverlay* o = overlay();
    return o ? o->ipLine : nullptr;
}

bool infoShown() {
    TextOverlay* o = overlay();
    return o && o->infoText && o->infoText->visible;
}

// Completion of the panel's fade-in: the address line appears.
void connectPanelShown() {
    if (KTexte* line = addressLine()) line->visible = 1;
}

void placeOkMark(float x, float y) {
    if (g_ui->selectionOK) g_ui->selectionOK->prs.SetPosition(x, y, OK_Z);
}

// The confirmation taken back: the OK mark hides and returns to its usual place, the cursor mark
// comes back at the end of the address.
void unconfirm() {
    setChoiceConfirmed(false);
    placeOkMark(OK_X, OK_Y);
    KTexte* line = addressLine();
    if (line && line->visible) line->texte[overlay()->ipLength] = CURSOR_MARK;
}

// The character a key types on the address line, 0 for none.
char addressCharFor(int code) {
    if (code >= VK_NUMPAD0 && code <= VK_NUMPAD0 + 9) return char('0' + code - VK_NUMPAD0);
    if (code == VK_DECIMAL || code == VK_OEM_PERIOD) return '.';
    if (code == VK_SPACE || (code >= '0' && code <= '9')) return char(code);
    return 0;
}

// The second Enter: a valid address is joined (the screen stays, confirmed, until the host's game
// arrives or the attempt fails); an invalid one is logged and the player may correct it.
void joinTypedAddress() {
    if (overlay()->ipLength == 0) {
        if (g_ui->screens.joinGame) g_ui->screens.joinGame("localhost", netPort());
        return;
    }
    std::string host;
    if (!parseAddress(&host)) {
        Log("ERROR : wrong IP !!\n");
        unconfirm();
        return;
    }
    if (g_ui->screens.joinGame) g_ui->screens.joinGame(host.c_str(), netPort());
}

} // namespace

void connectScreenHidden() {
    if (g_ui->client) g_ui->client->hidden = 1;
    if (KTexte* line = addressLine()) line->visible = 0;
}

void toggleConnectScreen() {
    Interface* ui = g_ui;
    if (!ui) return;
    KMaterial* mat = GetMatByName(g_scene, "client");
    if (!ui->connectScreenOpen) {
        if (ui->client) ui->client->hidden = 0;
        prepareFade(mat, 0.0f);
        playFade(mat, FADE_PANEL_IN, connectPanelShown);
        ui->connectScreenOpen = 1;
        return;
    }
    // Closed while an address is confirmed (the host's game arrived, the menu closed): the OK
    // mark would stay over the board and the next visit would start confirmed.
    if (ui->choiceConfirmed) unconfirm();
    playFade(mat, FADE_PANEL_OUT, connectScreenHidden);
    turnWall(0);
    ui->page = 0;
    ui->connectScreenOpen = 0;
}

bool addressKey(int code) {
    Interface* ui = g_ui;
    KTexte* line = addressLine();
    if (!line || !line->visible || ui->choiceConfirmed) return false;
    char* s = line->texte;
    int& p = overlay()->ipLength;
    if (code == VK_ESCAPE) {
        if (p == 0) {
            toggleConnectScreen();
            line->visible = 0;
        } else {
            clearTypedLine(s, p);
        }
        return true;
    }
    if (code == VK_DELETE || code == VK_BACK) {
        eraseTypedChar(s, p);
        return true;
    }
    if (code == VK_RETURN) {
        // An empty line is confirmed too: it stands for this machine ("localhost"), so two
        // copies on one machine can play without typing anything.
        s[p] = ' ';
        setChoiceConfirmed(true);
        placeOkMark(OK_ADDRESS_X, OK_ADDRESS_Y);
        KMaterial* mat = GetMatByName(g_scene, "selectionMater");
        prepareFade(mat, OK_ADDRESS_OPACITY);
        return true;
    }
    if (p >= ADDRESS_MAX) return true; // the line is full
    const char c = addressCharFor(code);
    if (c != 0) appendTypedChar(s, p, c);
    return true;
}

void connectScreenKey(int code) {
    Interface* ui = g_ui;
    if (!ui) return;
    if (code == VK_RETURN) {
        if (infoShown()) {
            // The message of the last attempt is still up: this Enter only dismisses it.
            showInfo(false, false, nullptr);
            unconfirm();
            return;
        }
        // An Enter while the panel still fades in has confirmed nothing: no connection the
        // player did not confirm.
        if (ui->choiceConfirmed) joinTypedAddress();
        return;
    }
    if (code == VK_ESCAPE) {
        if (infoShown()) showInfo(false, false, nullptr);
        unconfirm();
    }
}

bool parseAddress(std::string* host) {
    TextOverlay* o = overlay();
    KTexte* line = addressLine();
    if (!o || !line) return false;
    const char* c = line->texte;
    const int p = o->ipLength;
    if (p == 1 && c[0] == '0') { // this machine
        if (host) *host = "0";
        return true;
    }
    int values[ADDRESS_GROUPS] = {};
    int pos = 0;
    for (int group = 0; group < ADDRESS_GROUPS; ++group) {
        int digits = 0, value = 0;
        while (pos < EDIT_LINE_LENGTH && c[pos] != '.' && c[pos] != ' ' && c[pos] != 0) {
            if (c[pos] < '0' || c[pos] > '9') return false;
            value = value * 10 + (c[pos] - '0');
            ++digits;
            ++pos;
            if (digits > GROUP_DIGITS_MAX) return false;
        }
        if (digits == 0 || value > GROUP_VALUE_MAX) return false;
        values[group] = value;
        if (pos < EDIT_LINE_LENGTH && c[pos] != 0) ++pos; // the separator
    }
    // The numbers as they were checked: the text itself could mean another address to the
    // resolver ("010" is octal there, "192 168 1 10" a single number).
    if (host) {
        char dotted[16];
        std::snprintf(dotted, sizeof dotted, "%d.%d.%d.%d", values[0], values[1], values[2],
                      values[3]);
        *host = dotted;
    }
    return true;
}
