// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one line the load screen shows under its list for the selected PGN game, read from the tags
// the PGN reader keeps:
//
//     Morphy - Duke of Brunswick and Count Isouard, Paris 1858, 1-0, 17 moves
//
// White - Black, the event (or the site when the event is unknown) with the year of the Date
// tag, the result and the length in full moves. A part whose tags are missing or unknown ("?",
// "????.??.??", "*") is left out with its separator; a single known player is written
// "Morphy (White)".

#include <cstddef>
#include <string>

struct PgnGame;

// The details of `game` in at most `max_chars` characters. The line is Latin-1, one byte a
// character, as the game's fonts draw it: UTF-8 in the tags becomes Latin-1 (a character beyond
// Latin-1 becomes '?'), bytes that are no UTF-8 are taken as Latin-1 already, and control
// characters and runs of blanks become one blank.
//
// A line too long is shortened in this order until it fits: the players' given names dropped
// ("Anderssen, Adolf" becomes "Anderssen"); the longer player's name cut one character at a time,
// ending in '.', down to 8 characters each; the event or site cut the same way, down to 8; the
// move count, then the result left out; finally the line itself cut to `max_chars`.
// Length: the game's half-moves, kept and dropped, counted from White's first move.
std::string pgn_details(const PgnGame& game, size_t max_chars);
