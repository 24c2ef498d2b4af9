// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the engine reads its data and writes its log. By default data paths are relative to the
// current folder and the log lives in the program's folder, as in the build tree, where both are
// the same place. A game installed for every user keeps its read-only data apart from the
// player's own folder: the process entry then names both here, before KivInitDLL.

#include <string>

// Relative data paths (models, pictures, sounds) are read from `folder` from now on; null or ""
// goes back to the current folder.
void KSetDataFolder(const char* folder);

// The file a data path names: '\' turned into '/', and a relative path put under the data folder
// when one is set. Absolute paths are kept.
std::string KDataPath(const char* path);

// The log ("KivEngine.log") is written in `folder` from the next KivInitDLL on; null or "" goes
// back to the program's folder.
void KSetLogFolder(const char* folder);
