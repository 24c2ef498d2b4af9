// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The menu's sub-screens plugged into the Interface's hooks (g_ui->screens): the load and save
// screens and the connect screen. Called once at start-up, after the Interface is built.

void installScreens();
