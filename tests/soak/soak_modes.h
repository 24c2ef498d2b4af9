// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The three modes of chess3d-soak and what they share.

#include <cstdio>
#include <string>

namespace soak {

struct Options;

int runLocal(const Options& options);
int runNetwork(const Options& options);
int runHostile(const Options& options);

// A folder of the run's own for a game's saved games and settings (role: a subfolder name),
// and its removal at the end.
std::string makeSaveFolder(const char* role);
void removeSaveFolder(const std::string& folder);

// Where the harness writes its lines: the standard output as it was at the start. The game's
// own lines (the search's table, the network log) go to the null device instead.
FILE* out();
void quietGameOutput();

// The action under way, for the report of a step that hangs (the watchdog restarts with it).
void noteAction(const std::string& text);

} // namespace soak
