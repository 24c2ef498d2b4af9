#pragma once
// The engine for other chess programs: a UCI session (the Universal Chess Interface that
// graphical interfaces and match tools speak) over two streams.

#include <cstdio>

// Reads commands from `in` line by line until "quit" or the end of the input and answers on
// `out`: uci, isready, ucinewgame, position startpos|fen ... [moves ...], go depth N | movetime
// T | wtime/btime/winc/binc[/movestogo] | nodes N | mate N | infinite, stop, quit (nodes ends
// the search after the iteration that reaches N nodes). The search runs on a thread of
// its own so that "stop" and "isready" are answered while it thinks; it writes an info line per
// completed iteration and ends with "bestmove", always a legal move ("0000" only when there is
// none). Lines it does not understand are ignored. Returns 0.
int run_uci(std::FILE* in, std::FILE* out);
