// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// File-name helpers shared by the engine's loaders (internal to the engine).

#include <string>
#include <vector>

// The game's Windows-style path with '\' turned into '/'.
std::string KNormalizePath(const char* path);

// Folder of the running program, with a trailing '/' ("" when unknown).
std::string KProgramFolder();

// Largest file the engine reads whole (the game's largest, its music, is about 10 MB).
constexpr long long KREAD_MAX_BYTES = 256LL * 1024 * 1024;

// Whole file into `out`; false when it cannot be read. Only a regular file of at most
// KREAD_MAX_BYTES is read: a name from a model file may point at a device that never ends
// (/dev/zero) or a pipe that never answers, which would swallow the memory or stop the game.
bool KReadFile(const std::string& path, std::vector<unsigned char>& out);
