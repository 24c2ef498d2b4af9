// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The screenshots of the saved games and the statistics: the load screen with the unfinished
// game first and the details of a selected PGN game under the list, and the statistics (H) on
// their panels during a game.

#include <string>

// Run on a freshly built game (intro not yet skipped); writes games-pgn-details.png and
// games-statistics.png into `folder`. False (with a message) when a step did not happen.
bool shootGames(const std::string& folder);
