// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The connect screen (menu page 4): the player types the address of a host and joins it after
// two Enters. The address line takes digits, dots and spaces; the address is checked before the
// connection is tried.

#include <string>

constexpr int ADDRESS_MAX = 19; // characters a typed address may have

// Opens the screen (the end of the wall's turn to page 4) or closes it (its keys, the menu's
// close, or the network game once the host's game has arrived). The typed address stays for the
// next visit.
void toggleConnectScreen();

// The end of the panel's fade-out: the panel and the address line hide.
void connectScreenHidden();

// The address line's keys, before the menu's: true when taken. Declines every key while the line
// is not shown yet or the address is confirmed. Escape clears the line, or closes the screen when
// it is empty; Enter on an address confirms it.
bool addressKey(int code);

// A key the address line declined while the screen is open: Enter joins the confirmed address
// when it is valid (or only dismisses an info message still shown from the last attempt);
// Escape takes the confirmation back.
void connectScreenKey(int code);

// Whether the typed address is one to connect to: "0" alone, or four groups of one to three
// digits, each at most 255, separated by dots (or spaces); what follows the fourth group is not
// looked at. When valid and `host` is given, it gets the address to connect to: "0" (this
// machine) or the four numbers in decimal ("192.168.1.010" gives 192.168.1.10).
bool parseAddress(std::string* host = nullptr);
