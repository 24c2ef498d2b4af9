// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/load_screen.h"

#include <string>
#include <vector>

#include "app/input.h"
#include "app/request_keys.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/pgn_import.h"
#include "game/player_info.h"
#include "game/saved_games.h"
#include "net/KivNetwork.h"
#include "netplay/net_session.h"
#include "platform/win32.h"
#include "ui/file_list.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"

namespace {

constexpr char LOAD_REQUEST = 'L';

// Completions of the panel's fades.
void loadPanelShown() {
    showFileLines(0, LOAD_LIST_WINDOW);
}
void loadPanelHidden() {
    if (g_ui->load) g_ui->load->hidden = 1;
    if (g_ui->selectionBar) g_ui->selectionBar->hidden = 1;
}

// Hosting, and nobody has connected yet: there is no one to ask.
bool hostWithoutPeer() {
    // A connection waiting beside the seat (a stranger, a player not yet let in) is nobody to
    // ask: only the playing peer answers requests.
    return netSession().server && !hostHasPlayingPeer();
}

// The second Enter: the selected game is loaded (a game against the computer) or asked for (a
// network game). A game that cannot be loaded is not: the player is told and the game on the
// board stays as it was; the screen and the menu close as after a load.
void loadSelectedGame() {
    const std::string path = selectedGamePath();
    if (path.empty()) return; // an empty list: nothing to load
    setChoiceConfirmed(false);
    if (localGame()) {
        g_game->fileName = path;
        if (savedGameLoadable(path.c_str()) && g_game->record.LoadGame(path.c_str())) {
            g_game->gameStarted = 1;
            g_game->record.RestoreBoard();
        }
        toggleLoadScreen();
        toggleMenu();
        return;
    }
    if (hostWithoutPeer()) {
        toggleLoadScreen();
        return;
    }
    // The peer would be asked for a game this side cannot then load.
    if (!savedGameLoadable(path.c_str())) {
        toggleLoadScreen();
        toggleMenu();
        return;
    }
    // One request at a time: an answer to the first would be taken as the answer to this one.
    if (!g_game->mayAskRequest()) {
        toggleLoadScreen();
        toggleMenu();
        if (g_game->requestPending) showInfo(true, false, "Waiting for request answer");
        return;
    }
    g_game->requestPending = 1;
    g_game->pendingRequest = LOAD_REQUEST;
    g_game->fileName = path;
    sendToPeer(&LOAD_REQUEST, 1);
    toggleLoadScreen();
    toggleMenu();
    showInfo(true, false, "Waiting for request answer");
}

} // namespace

std::string savedGameProblem(const char* path) {
    std::string pgnPath;
    int pgnGame = 0;
    if (path && parse_pgn_ref(path, pgnPath, pgnGame)) {
        PgnLoaded loaded;
        return load_pgn_game(pgnPath.c_str(), pgnGame, loaded);
    }
    std::vector<RecordedMove> moves;
    switch (read_saved_game(path, moves)) {
    case SavedGameRead::Ok:
        return "";
    case SavedGameRead::CannotOpen:
        return "Cannot open saved game : not loaded";
    case SavedGameRead::Damaged:
    default:
        return "Damaged saved game : not loaded";
    }
}

bool savedGameLoadable(const char* path) {
    const std::string why = savedGameProblem(path);
    if (!why.empty()) tellPlayer(why.c_str());
    return why.empty();
}

void toggleLoadScreen() {
    Interface* ui = g_ui;
    if (!ui) return;
    if (!ui->loadScreenOpen) {
        openListPanel(ui->load, "load", loadPanelShown, true);
        ui->loadScreenOpen = 1;
        return;
    }
    closeListPanel("load", loadPanelHidden);
    ui->loadScreenOpen = 0;
}

void loadScreenKey(int code) {
    Interface* ui = g_ui;
    if (!ui) return;
    switch (code) {
    case VK_RETURN:
        if (!ui->choiceConfirmed)
            setChoiceConfirmed(true);
        else
            loadSelectedGame();
        break;
    case VK_ESCAPE:
        if (!ui->choiceConfirmed)
            toggleLoadScreen();
        else
            setChoiceConfirmed(false);
        break;
    case VK_UP:
    case VK_DOWN:
        if (!ui->choiceConfirmed) moveSelection(code, LOAD_LIST_WINDOW);
        break;
    default:
        break;
    }
}
