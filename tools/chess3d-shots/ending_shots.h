// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The screenshots of games that end: a mate with its result banner (game-end-mate.png) and a
// draw for want of material, a game played out to bare pieces (game-end-material.png).

#include <string>

// Run on a freshly built game (intro not yet skipped); writes game-end-*.png into `folder`.
// False (with a message) when a step did not happen as it should.
bool shootGameEnds(const std::string& folder);
