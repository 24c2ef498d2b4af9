// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/assetgen/music.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace assetgen {

namespace {

constexpr float PI2 = 6.2831853f;
constexpr float BAR_SECONDS = 3.75f; // 64 beats a minute, four to the bar
constexpr int BARS = 16;             // exactly one minute

float midiHz(int note) {
    return 440.0f * std::pow(2.0f, (note - 69) / 12.0f);
}

struct Buffer {
    std::vector<float> l, r;
    size_t n;
    explicit Buffer(size_t frames) : l(frames), r(frames), n(frames) {}
    // Adds a sample at any time index, wrapped into the loop.
    void add(long i, float v, float pan) {
        size_t k = size_t(((i % long(n)) + long(n)) % long(n));
        l[k] += v * (1 - pan);
        r[k] += v * pan;
    }
};

// A soft pad note: detuned sines with a slow swell and release.
void pad(Buffer& b, float start, float length, int note, float gain, float pan) {
    float f = midiHz(note), attack = 1.6f, release = 2.2f;
    long s0 = long(start * MUSIC_RATE), count = long((length + release) * MUSIC_RATE);
    for (long i = 0; i < count; ++i) {
        float t = float(i) / MUSIC_RATE;
        float env = std::min(1.0f, t / attack);
        if (t > length) env *= std::exp(-(t - length) * 2.5f);
        env = env * env * (3 - 2 * env);
        float v = std::sin(PI2 * f * t) + 0.6f * std::sin(PI2 * f * 1.003f * t + 1.0f) +
                  0.25f * std::sin(PI2 * f * 2.0f * t) * (0.6f + 0.4f * std::sin(t * 0.7f));
        b.add(s0 + i, v * env * gain, pan);
    }
}

// A bell: a touch of frequency modulation that dies away faster than the tone.
void bell(Buffer& b, float start, int note, float gain, float pan) {
    float f = midiHz(note);
    long s0 = long(start * MUSIC_RATE), count = long(4.0f * MUSIC_RATE);
    for (long i = 0; i < count; ++i) {
        float t = float(i) / MUSIC_RATE;
        float env = std::min(1.0f, t / 0.005f) * std::exp(-t * 1.4f);
        float mod = 1.2f * std::exp(-t * 5.0f) * std::sin(PI2 * f * 3.5f * t);
        b.add(s0 + i, std::sin(PI2 * f * t + mod) * env * gain, pan);
    }
}

void bass(Buffer& b, float start, float length, int note, float gain) {
    float f = midiHz(note);
    long s0 = long(start * MUSIC_RATE), count = long((length + 1.0f) * MUSIC_RATE);
    for (long i = 0; i < count; ++i) {
        float t = float(i) / MUSIC_RATE;
        float env = std::min(1.0f, t / 0.08f) * std::exp(-t * 0.35f);
        if (t > length) env *= std::exp(-(t - length) * 6.0f);
        float v = std::sin(PI2 * f * t) + 0.2f * std::sin(PI2 * f * 2 * t);
        b.add(s0 + i, v * env * gain, 0.5f);
    }
}

} // namespace

std::vector<int16_t> musicLoop() {
    const size_t frames = size_t(BAR_SECONDS * BARS * MUSIC_RATE);
    Buffer dry(frames);
    // Two bars per chord: Am9, Fmaj7, Cmaj7, G6, then Am9, Fmaj7, Dm9, Esus4.
    struct Chord {
        int root;
        int tones[4];
    };
    const Chord chords[8] = {{45, {57, 60, 64, 71}}, {41, {57, 60, 64, 65}}, {48, {55, 59, 64, 67}},
                             {43, {55, 59, 62, 64}}, {45, {57, 60, 64, 71}}, {41, {57, 60, 64, 69}},
                             {38, {57, 60, 62, 65}}, {40, {57, 59, 64, 68}}};
    // Arpeggio pattern per bar, in eighth notes, as indexes into the chord (-1 rests).
    const int pattern[2][8] = {{0, 2, 3, 2, 1, 3, 2, -1}, {3, 2, 1, 2, 0, -1, 2, -1}};
    const float eighth = BAR_SECONDS / 8;
    for (int c = 0; c < 8; ++c) {
        float t0 = c * 2 * BAR_SECONDS;
        for (int k = 0; k < 4; ++k)
            pad(dry, t0, 2 * BAR_SECONDS - 0.3f, chords[c].tones[k], 0.05f, 0.3f + 0.13f * k);
        bass(dry, t0, 2 * BAR_SECONDS - 0.2f, chords[c].root, 0.16f);
        for (int bar = 0; bar < 2; ++bar)
            for (int e = 0; e < 8; ++e) {
                int idx = pattern[bar][e];
                if (idx < 0 || (c == 0 && bar == 0 && e < 2)) continue;
                float pan = 0.5f + 0.3f * std::sin(float(c * 16 + bar * 8 + e) * 0.9f);
                bell(dry, t0 + bar * BAR_SECONDS + e * eighth, chords[c].tones[idx] + 12, 0.07f,
                     pan);
            }
    }
    // Echo between the two sides, run over the loop twice so that the echoes of the end are
    // heard at the start, the way the loop plays.
    const size_t delay = size_t(BAR_SECONDS * 3 / 8 * MUSIC_RATE);
    std::vector<float> dl(delay, 0), dr(delay, 0), outL(frames), outR(frames);
    size_t pos = 0;
    for (int pass = 0; pass < 2; ++pass)
        for (size_t i = 0; i < frames; ++i) {
            float el = dl[pos], er = dr[pos];
            dl[pos] = dry.l[i] + er * 0.38f;
            dr[pos] = dry.r[i] + el * 0.38f;
            pos = (pos + 1) % delay;
            outL[i] = dry.l[i] + el * 0.35f;
            outR[i] = dry.r[i] + er * 0.35f;
        }
    float peak = 1e-6f;
    for (size_t i = 0; i < frames; ++i)
        peak = std::max({peak, std::fabs(outL[i]), std::fabs(outR[i])});
    float g = 0.8f / peak;
    std::vector<int16_t> out(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        out[2 * i] = int16_t(std::lround(outL[i] * g * 32767.0f));
        out[2 * i + 1] = int16_t(std::lround(outR[i] * g * 32767.0f));
    }
    return out;
}

bool writeWav(const std::string& path, const std::vector<int16_t>& s, int rate) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    auto u32 = [&](uint32_t v) {
        unsigned char b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        std::fwrite(b, 1, 4, f);
    };
    auto u16 = [&](uint16_t v) {
        unsigned char b[2] = {uint8_t(v), uint8_t(v >> 8)};
        std::fwrite(b, 1, 2, f);
    };
    uint32_t bytes = uint32_t(s.size() * 2);
    std::fwrite("RIFF", 1, 4, f);
    u32(36 + bytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16);
    u16(1); // PCM
    u16(2);
    u32(uint32_t(rate));
    u32(uint32_t(rate * 4));
    u16(4);
    u16(16);
    std::fwrite("data", 1, 4, f);
    u32(bytes);
    for (int16_t v : s)
        u16(uint16_t(v));
    return std::fclose(f) == 0;
}

} // namespace assetgen
