// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Start-up checks: a data file or model object the game cannot do without stops the program
// with a message naming it, instead of a crash later on a null object.

// True when every data file the game loads exists in the data folder (KDataPath: the current
// folder unless the game was built for one of its own); otherwise reports the first missing one
// and returns false.
bool checkDataFiles();

// Reports `what` (a file or object name) as missing: standard error and the engine's log.
void reportMissing(const char* kind, const char* what);

// True when every named object the game looks up at start-up was found.
bool checkStartupObjects();
