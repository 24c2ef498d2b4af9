// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's short sounds, synthesised like the music (no recorded samples): a piece set down,
// a capture, a check, a mate, a refused move and a chat line from the other player. Each is a
// 16-bit PCM stereo WAV of well under two seconds that starts and ends in silence, so that it
// clicks neither in nor out when mixed over the music.

#include <cstdint>
#include <vector>

namespace assetgen {

enum class GameSoundKind { Move, Capture, Check, Mate, Refused, Chat };

// Interleaved stereo samples at MUSIC_RATE.
std::vector<int16_t> gameSound(GameSoundKind kind);

} // namespace assetgen
