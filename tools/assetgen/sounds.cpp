// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/assetgen/sounds.h"

#include <algorithm>
#include <cmath>

#include "tools/assetgen/music.h"

namespace assetgen {

namespace {

constexpr float PI2 = 6.2831853f;
constexpr float PEAK = 0.5f; // of full scale: the music peaks at 0.8 and the two are summed

struct Mono {
    std::vector<float> s;
    explicit Mono(float seconds) : s(size_t(seconds * MUSIC_RATE)) {}
    // Adds `v(t)` from `start` seconds on for `length` seconds.
    template <class F> void add(float start, float length, F v) {
        const size_t s0 = size_t(start * MUSIC_RATE);
        const size_t n = size_t(length * MUSIC_RATE);
        for (size_t i = 0; i < n && s0 + i < s.size(); ++i)
            s[s0 + i] += v(float(i) / MUSIC_RATE);
    }
};

// A fixed sequence of noise, the same on every run.
struct Noise {
    uint32_t state = 0x2545f491u;
    float next() {
        state = state * 1664525u + 1013904223u;
        return float(state >> 8) / float(1 << 23) - 1.0f;
    }
};

// A piece of wood set down on wood: a low body that dies within a tenth of a second, a higher
// partial that dies faster, and a few milliseconds of noise for the contact.
void knock(Mono& m, float start, float body, float gain) {
    Noise noise;
    m.add(start, 0.25f, [&](float t) {
        const float contact = noise.next() * std::exp(-t * 450.0f) * 0.6f;
        const float low = std::sin(PI2 * body * t) * std::exp(-t * 32.0f);
        const float high = 0.45f * std::sin(PI2 * body * 2.76f * t) * std::exp(-t * 70.0f);
        return gain * (contact + low + high);
    });
}

// A small bell: a sine with a touch of frequency modulation that fades faster than the tone,
// as the music's bells.
void bell(Mono& m, float start, float hz, float gain, float decay) {
    m.add(start, 6.0f / decay, [&](float t) {
        const float env = std::min(1.0f, t / 0.004f) * std::exp(-t * decay);
        const float mod = 1.1f * std::exp(-t * 6.0f) * std::sin(PI2 * hz * 3.5f * t);
        return gain * env * std::sin(PI2 * hz * t + mod);
    });
}

// A low, hollow buzz (odd harmonics): "no".
void buzz(Mono& m, float start, float hz, float length, float gain) {
    m.add(start, length + 0.05f, [&](float t) {
        float env = std::min(1.0f, t / 0.006f);
        if (t > length) env *= std::exp(-(t - length) * 80.0f);
        const float v = std::sin(PI2 * hz * t) + std::sin(3 * PI2 * hz * t) / 3 +
                        std::sin(5 * PI2 * hz * t) / 5;
        return gain * env * v;
    });
}

Mono render(GameSoundKind kind) {
    switch (kind) {
    case GameSoundKind::Move: {
        Mono m(0.22f);
        knock(m, 0.0f, 190.0f, 1.0f);
        return m;
    }
    case GameSoundKind::Capture: {
        Mono m(0.34f);
        knock(m, 0.0f, 250.0f, 1.0f);   // the taking piece strikes
        knock(m, 0.075f, 150.0f, 0.8f); // the taken piece falls
        return m;
    }
    case GameSoundKind::Check: {
        Mono m(0.9f);
        knock(m, 0.0f, 190.0f, 0.7f);
        bell(m, 0.02f, 880.0f, 0.6f, 7.0f);  // A5
        bell(m, 0.14f, 1318.5f, 0.6f, 7.0f); // E6
        return m;
    }
    case GameSoundKind::Mate: {
        Mono m(1.8f);
        knock(m, 0.0f, 190.0f, 0.7f);
        const float notes[4] = {523.25f, 659.25f, 783.99f, 1046.5f}; // C5 E5 G5 C6
        for (int i = 0; i < 4; ++i)
            bell(m, 0.03f + 0.11f * float(i), notes[i], 0.45f, 3.2f);
        m.add(0.03f, 1.7f, [](float t) { // a low C under the chord
            return 0.35f * std::sin(PI2 * 130.81f * t) * std::min(1.0f, t / 0.02f) *
                   std::exp(-t * 2.5f);
        });
        return m;
    }
    case GameSoundKind::Refused: {
        Mono m(0.3f);
        buzz(m, 0.0f, 155.0f, 0.07f, 1.0f);
        buzz(m, 0.12f, 130.0f, 0.09f, 1.0f);
        return m;
    }
    case GameSoundKind::Chat:
    default: {
        Mono m(0.6f);
        bell(m, 0.0f, 1046.5f, 0.6f, 9.0f);  // C6
        bell(m, 0.09f, 1568.0f, 0.6f, 9.0f); // G6
        return m;
    }
    }
}

} // namespace

std::vector<int16_t> gameSound(GameSoundKind kind) {
    Mono m = render(kind);
    // Silent at both ends: a short fade in and out over whatever the last partials left.
    const size_t n = m.s.size(), fadeIn = MUSIC_RATE / 500, fadeOut = MUSIC_RATE / 50;
    for (size_t i = 0; i < n; ++i) {
        float g = 1.0f;
        if (i < fadeIn) g = float(i) / float(fadeIn);
        if (i + fadeOut > n) g = std::min(g, float(n - i - 1) / float(fadeOut));
        m.s[i] *= g;
    }
    float peak = 1e-6f;
    for (float v : m.s)
        peak = std::max(peak, std::fabs(v));
    const float scale = PEAK * 32767.0f / peak;
    std::vector<int16_t> out(2 * n);
    for (size_t i = 0; i < n; ++i)
        out[2 * i] = out[2 * i + 1] = int16_t(std::lround(m.s[i] * scale));
    return out;
}

} // namespace assetgen
