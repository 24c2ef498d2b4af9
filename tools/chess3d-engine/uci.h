// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The engine for other chess programs: a UCI session (the Universal Chess Interface that
// graphical interfaces and match tools speak) over two streams.

#include <cstdio>

// Reads commands from `in` line by line until "quit" or the end of the input and answers on
// `out`: uci, isready, ucinewgame, position startpos|fen ... [moves ...], go depth N | movetime
// T | wtime/btime/winc/binc[/movestogo] | nodes N | mate N | infinite | ponder, ponderhit, stop,
// quit. Numbers are clamped to about 2^40. The search runs on a thread of its own so that
// "stop", "ponderhit" and "isready" are answered while it thinks; it writes an info line per
// completed iteration, one more for the move it plays when it was cut short in the middle of
// one (time, nodes or "stop"), and ends with "bestmove": always a legal move, "0000" only when
// there is none or when the last "position" was refused. "go ponder" searches without a clock
// and without answering until "ponderhit" (its clock starts then) or "stop". Lines it does not
// understand are ignored; a NUL byte reads as a blank. Returns 0.
int run_uci(std::FILE* in, std::FILE* out);
