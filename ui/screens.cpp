// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/screens.h"

#include "netplay/connection.h"
#include "ui/connect_screen.h"
#include "ui/interface.h"
#include "ui/load_screen.h"
#include "ui/save_screen.h"

void installScreens() {
    ScreenHooks& s = g_ui->screens;
    s.toggleLoadScreen = toggleLoadScreen;
    s.loadScreenKey = loadScreenKey;
    s.toggleSaveScreen = toggleSaveScreen;
    s.saveScreenKey = saveScreenKey;
    s.saveNameKey = saveNameKey;
    s.toggleConnectScreen = toggleConnectScreen;
    s.connectScreenHidden = connectScreenHidden;
    s.connectScreenKey = connectScreenKey;
    s.addressKey = addressKey;
    s.joinGame = JoinGame;
}
