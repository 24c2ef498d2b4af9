#pragma once
// File-name helpers shared by the engine's loaders (internal to the engine).

#include <string>
#include <vector>

// The game's Windows-style path with '\' turned into '/'.
std::string KNormalizePath(const char* path);

// Folder of the running program, with a trailing '/' ("" when unknown).
std::string KProgramFolder();

// Whole file into `out`; false when it cannot be read.
bool KReadFile(const std::string& path, std::vector<unsigned char>& out);
