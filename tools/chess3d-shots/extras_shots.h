// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The screenshots of the additions to the game: the last move marked, the move hints of a
// selected piece, the engine's suggestion, the move list, and the game in full screen.

#include <string>

// Run on a freshly built game (intro not yet skipped); writes extra-*.png into `folder`.
// False (with a message) when a step did not happen as it should.
bool shootExtras(const std::string& folder);
