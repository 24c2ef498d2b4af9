// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/save_screen.h"

#include <cstring>
#include <string>

#include "app/app_state.h"
#include "app/input.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/player_info.h"
#include "game/saved_games.h"
#include "platform/win32.h"
#include "ui/file_list.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"
#include "ui/typed_line.h"

namespace {

KTexte* nameLine() {
    return g_ui->overlay ? g_ui->overlay->nameLine : nullptr;
}

// Name mode: the name line shows (the selection bar does not).
bool nameMode() {
    KTexte* line = nameLine();
    return line && line->visible;
}

// Completions of the panel's fades.
void savePanelShown() {
    showFileLines(0, SAVE_LIST_WINDOW);
}
void savePanelHidden() {
    if (g_ui->save) g_ui->save->hidden = 1;
    if (g_ui->selectionBar) g_ui->selectionBar->hidden = 1;
}

// The name line hidden and empty: spaces with the cursor mark at 0.
void clearNameLine() {
    KTexte* line = nameLine();
    if (!line) return;
    line->visible = 0;
    std::memset(line->texte, ' ', EDIT_LINE_LENGTH);
    line->texte[0] = CURSOR_MARK;
    g_ui->overlay->nameLength = 0;
}

// A typed name made only of spaces would save a game the list shows as an empty line.
bool nameIsBlank(const char* text, int length) {
    for (int i = 0; i < length; ++i)
        if (text[i] != ' ') return false;
    return true;
}

// The character a key types on the name line, 0 for none.
char nameCharFor(int code) {
    if (code >= 'A' && code <= 'Z') {
        const bool shift = g_app && g_app->keysDown[VK_SHIFT];
        return char(shift ? code : code + ('a' - 'A'));
    }
    if (code >= VK_NUMPAD0 && code <= VK_NUMPAD0 + 9) return char('0' + code - VK_NUMPAD0);
    if (code == VK_SPACE || (code >= '0' && code <= '9')) return char(code);
    return 0;
}

// The second Enter: the game is written to the chosen file or under the typed name (flushed to
// the disk beside the frame loop). A save that fails says so, when it fails; the screen and the
// menu close either way.
void saveGame() {
    std::string path;
    if (nameMode()) {
        path = std::string(save_folder()) +
               std::string(nameLine()->texte, size_t(g_ui->overlay->nameLength)) + ".chs";
    } else {
        path = selectedGamePath();
        if (path.empty()) return; // an empty list: nothing chosen
    }
    g_game->record.StartSaveGame(path.c_str());
    toggleSaveScreen();
    toggleMenu();
    setChoiceConfirmed(false);
}

} // namespace

void toggleSaveScreen() {
    Interface* ui = g_ui;
    if (!ui) return;
    if (!ui->saveScreenOpen) {
        openListPanel(ui->save, "save", savePanelShown, false);
        ui->saveScreenOpen = 1;
        return;
    }
    closeListPanel("save", savePanelHidden);
    clearNameLine();
    ui->saveScreenOpen = 0;
}

void saveScreenKey(int code) {
    Interface* ui = g_ui;
    if (!ui) return;
    switch (code) {
    case VK_TAB:
        if (!ui->choiceConfirmed && !nameMode() && nameLine()) {
            if (ui->selectionBar) ui->selectionBar->hidden = 1;
            nameLine()->visible = 1;
        }
        break;
    case VK_RETURN:
        if (!ui->choiceConfirmed)
            setChoiceConfirmed(true);
        else
            saveGame();
        break;
    case VK_ESCAPE:
        if (!ui->choiceConfirmed) {
            toggleSaveScreen();
        } else {
            setChoiceConfirmed(false);
            if (nameMode()) nameLine()->texte[ui->overlay->nameLength] = CURSOR_MARK;
        }
        break;
    case VK_UP:
    case VK_DOWN:
        if (!ui->choiceConfirmed) moveSelection(code, SAVE_LIST_WINDOW);
        break;
    default:
        break;
    }
}

bool saveNameKey(int code) {
    Interface* ui = g_ui;
    KTexte* line = ui ? nameLine() : nullptr;
    if (!line || !line->visible || ui->choiceConfirmed) return false;
    char* s = line->texte;
    int& p = ui->overlay->nameLength;
    if (code == VK_TAB || code == VK_ESCAPE) {
        // Back to the list.
        if (ui->selectionBar) ui->selectionBar->hidden = 0;
        line->visible = 0;
        clearTypedLine(s, p);
        return true;
    }
    if (code == VK_DELETE || code == VK_BACK) {
        eraseTypedChar(s, p);
        return true;
    }
    if (code == VK_RETURN) {
        if (p > 0 && !nameIsBlank(s, p)) {
            s[p] = ' ';
            setChoiceConfirmed(true);
        }
        return true;
    }
    if (p >= SAVE_NAME_MAX) return true; // the name is full
    const char c = nameCharFor(code);
    if (c != 0) appendTypedChar(s, p, c);
    return true;
}
