// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The thinking sign: while a UCI engine playing the computer's side takes more than a moment
// over its move, a small panel at the top of the window says so ("Stockfish 15.1 thinking . . .",
// its dots counting the seconds), so that a slow engine is not taken for a frozen game. It shows
// over the board only and goes as soon as the engine has answered.

// Start-up, after the text overlay's layout: the panel and its text, hidden.
void buildThinkingSign();

// Once per frame: shown, hidden, laid out for the window's size, dots moved on. Allocates
// nothing.
void thinkingSignStep();

// Whether the sign shows now, and its text (tests, screenshots).
bool thinkingSignShown();
const char* thinkingSignText();
