// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The screenshots of what chess players asked for: the computer played by a UCI engine chosen
// for the run (stockfish, thinking over its move), the move typed on the move line, and a loaded
// game replayed move by move.

#include <string>

// Run on a freshly built game (intro not yet skipped); writes chess-*.png into `folder`. False
// (with a message) when a step did not happen as it should; stockfish must be installed.
bool shootChessAdditions(const std::string& folder);
