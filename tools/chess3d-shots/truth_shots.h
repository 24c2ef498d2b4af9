// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The screenshots of what the board shows about the game: a king in check on its red square
// (board-check.png), and the pieces taken beside the board with the material balance under the
// player panel (board-captured.png, and from Black's side board-captured-black.png).

#include <string>

// Run on a freshly built game (intro not yet skipped); writes board-*.png into `folder`.
// False (with a message) when a step did not happen as it should.
bool shootBoardTruth(const std::string& folder);
