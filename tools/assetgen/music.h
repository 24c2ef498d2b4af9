// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The menu music: a calm synthesised loop, 16-bit PCM stereo WAV.

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

inline constexpr int MUSIC_RATE = 44100;

// Interleaved stereo samples of the loop. Every note and echo that runs past the end wraps
// round to the start, so the last sample flows into the first with no click.
std::vector<int16_t> musicLoop();

// Writes a 16-bit PCM WAV file; false when it cannot be written.
[[nodiscard]] bool writeWav(const std::string& path, const std::vector<int16_t>& stereo, int rate);

} // namespace assetgen
