// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The engine reads models, pictures and sounds from files: the harnesses hand it each input as
// a file of their own, in memory-backed /dev/shm when there is one.

#include <cstddef>
#include <cstdint>

// Writes the input to this process's file with the given ending (".m3d") and returns its path;
// the same path for every input. Aborts when the file cannot be written (nothing to fuzz then).
const char* fuzzInputFile(const uint8_t* data, size_t size, const char* ending);

// Calls KivInitDLL again every `period` calls: the engine's log starts afresh, so that a long
// run's refusals do not fill the disk.
void restartLogEvery(int period);
