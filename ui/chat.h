// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The chat (four lines at the bottom left, one of them the input line) and the routing of typed
// keys to the text-entry lines: the chat here, the save-name and address lines of the save and
// connect screens.

// From the key handler before the menu and game keys: true when a text line took the key (the
// move line first, ui/move_line.h).
// `code` is a Windows virtual-key code.
bool textKey(int code);

// The chat's own keys: Tab opens and closes it; while open every key is taken (Escape clears
// the line, Backspace/Delete erase, Enter sends, printable keys type).
bool chatKey(int code);

// The peer's chat message (75 bytes: 'C', origin, then its line from position 0) is shown as a
// received line; a line the local player was typing is sent first.
void chatReceived(const unsigned char* message);

// Unhides or hides the chat panel object "chat".
void setChatPanelVisible(bool show);

struct TextOverlay;

// Puts chat line i at its row of the ring (the input line at the bottom), for the overlay's
// window size.
void chatLinePlace(TextOverlay& o, int i);

// Character typed by a key code, with or without Shift; 0 for a key that types nothing.
char chatCharFor(int code, bool shift);
