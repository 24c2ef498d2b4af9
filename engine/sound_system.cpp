// SPDX-License-Identifier: GPL-3.0-or-later
// Sounds over SDL2 audio. Every sound is in the mixer's format (16-bit stereo, 44100 Hz), so
// mixing is a plain saturating sum in the device callback: a file already in that format (the
// music) is read from its file as it plays, a few kilobytes at a time, instead of being held in
// memory whole; any other is converted once, at load, and held.

#include "engine/folders.h"
#include "engine/log.h"
#include "engine/paths.h"
#include "engine/sound_api.h"
#include "platform/platform.h"

#include <SDL2/SDL.h>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct WSound {
    Uint8* data = nullptr;       // converted samples, owned (SDL_malloc); null when streamed
    SDL_RWops* stream = nullptr; // or the file the samples are read from, owned
    long streamStart = 0;        // offset of the first sample in that file, bytes
    long length = 0;             // bytes
    long position = 0;           // bytes from the start
    int repeats = 0;             // plays still to come after this one; -1 endless
    bool playing = false;
};

namespace {

constexpr int MIX_RATE = 44100;
constexpr int MIX_CHANNELS = 2;
constexpr SDL_AudioFormat MIX_FORMAT = AUDIO_S16SYS;
constexpr int BYTES_PER_FRAME = MIX_CHANNELS * 2;
constexpr int MAX_SOUNDS = 64;

SDL_AudioDeviceID g_device = 0;
bool g_audioInit = false;
WSound* g_sounds[MAX_SOUNDS]; // every sound created, for the mixer
int g_soundCount = 0;

void lock() {
    if (g_device) SDL_LockAudioDevice(g_device);
}
void unlock() {
    if (g_device) SDL_UnlockAudioDevice(g_device);
}

constexpr int STREAM_CHUNK = 4096; // samples read from a streamed file at a time

// `n` samples of a streamed sound from its play position into `out`; false when the file no
// longer gives them (it was cut short under the game).
bool readStream(WSound* s, Sint16* out, int n) {
    return SDL_RWseek(s->stream, s->streamStart + s->position, RW_SEEK_SET) >= 0 &&
           SDL_RWread(s->stream, out, 2, size_t(n)) == size_t(n);
}

// The device thread: sums every playing sound into the output, clipping to 16 bits.
void mix(void*, Uint8* stream, int len) {
    static Sint16 chunk[STREAM_CHUNK]; // this thread's only: streamed samples
    auto* out = reinterpret_cast<Sint16*>(stream);
    const int samples = len / 2;
    std::fill(out, out + samples, Sint16(0));
    for (int i = 0; i < g_soundCount; ++i) {
        WSound* s = g_sounds[i];
        if (!s->playing || s->length <= 0) continue;
        int done = 0;
        while (done < samples && s->playing) {
            const long left = (s->length - s->position) / 2;
            int n = static_cast<int>(std::min<long>(left, samples - done));
            const Sint16* src = chunk;
            if (s->data) {
                src = reinterpret_cast<const Sint16*>(s->data + s->position);
            } else {
                n = std::min(n, STREAM_CHUNK);
                if (!readStream(s, chunk, n)) {
                    s->playing = false;
                    break;
                }
            }
            for (int k = 0; k < n; ++k) {
                const int v = out[done + k] + src[k];
                out[done + k] = static_cast<Sint16>(std::clamp(v, -32768, 32767));
            }
            done += n;
            s->position += static_cast<long>(n) * 2;
            if (s->position >= s->length) {
                s->position = 0;
                if (s->repeats == 0)
                    s->playing = false;
                else if (s->repeats > 0)
                    --s->repeats;
            }
        }
    }
}

} // namespace

int KivLoadSound(HWND hwnd) {
    PlatformInit();
    if (g_device) return 1;
    // Audio starts on its own: a machine without a sound card still has video.
    if (!g_audioInit) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            Log("Sound: no audio (%s); playing silent\n", SDL_GetError());
            return 0;
        }
        g_audioInit = true;
    }
    SDL_AudioSpec want{};
    want.freq = MIX_RATE;
    want.format = MIX_FORMAT;
    want.channels = MIX_CHANNELS;
    want.samples = 1024;
    want.callback = mix;
    // No changes allowed: SDL converts to the device, the mixer always sees its own format.
    g_device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (!g_device) {
        Log("Sound: no audio device (%s); playing silent\n", SDL_GetError());
        return 0;
    }
    SDL_PauseAudioDevice(g_device, 0);
    return 1;
}

WSound* asSndCreate(int flags) {
    auto* s = new WSound;
    lock();
    if (g_soundCount < MAX_SOUNDS) g_sounds[g_soundCount++] = s;
    unlock();
    return s; // beyond MAX_SOUNDS a sound still exists but is never heard
}

namespace {

uint32_t littleEndian32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t littleEndian16(const unsigned char* p) {
    return uint16_t(p[0] | p[1] << 8);
}

// Where a wave file's samples lie, and whether they are already in the mixer's format.
struct WaveLayout {
    size_t dataStart = 0, dataLength = 0; // bytes
    bool mixerFormat = false;             // 16-bit PCM, stereo, 44100 Hz
};

// Null when the wave file may be handed to SDL; otherwise why not. SDL allocates a chunk's
// declared length before it reads it, so a file of a few hundred bytes declaring gigabytes of
// sound would have the game ask for them: every chunk up to the samples must fit in the file.
// Only plain samples are taken (PCM or floating point), the formats the game plays.
const char* waveRefusal(const std::vector<unsigned char>& file, WaveLayout& layout) {
    constexpr uint16_t WAVE_PCM = 1, WAVE_FLOAT = 3;
    const unsigned char* d = file.data();
    const size_t n = file.size();
    if (n < 12 || std::memcmp(d, "RIFF", 4) != 0 || std::memcmp(d + 8, "WAVE", 4) != 0)
        return "not a wave file";
    if (n > size_t(INT32_MAX)) return "too large";
    bool format = false;
    for (size_t pos = 12; pos + 8 <= n;) {
        const size_t length = littleEndian32(d + pos + 4);
        if (length > n - pos - 8) return "a chunk longer than the file";
        if (std::memcmp(d + pos, "fmt ", 4) == 0) {
            if (length < 16) return "a damaged format chunk";
            const uint16_t tag = littleEndian16(d + pos + 8);
            if (tag != WAVE_PCM && tag != WAVE_FLOAT) return "not plain samples (PCM or float)";
            format = true;
            layout.mixerFormat = SDL_BYTEORDER == SDL_LIL_ENDIAN && tag == WAVE_PCM &&
                                 littleEndian16(d + pos + 10) == MIX_CHANNELS &&
                                 littleEndian32(d + pos + 12) == MIX_RATE &&
                                 littleEndian16(d + pos + 22) == 16;
        } else if (std::memcmp(d + pos, "data", 4) == 0) {
            layout.dataStart = pos + 8;
            layout.dataLength = length;
            return format ? nullptr : "sound data before its format";
        }
        pos += 8 + length + (length & 1);
    }
    return "no sound data";
}

// Puts the samples (held or streamed) into the sound, stopped at its start, and lets go of what
// it had.
void replaceSamples(WSound* sound, Uint8* data, SDL_RWops* stream, long start, long bytes) {
    lock();
    Uint8* oldData = sound->data;
    SDL_RWops* oldStream = sound->stream;
    sound->data = data;
    sound->stream = stream;
    sound->streamStart = start;
    sound->length = bytes - bytes % BYTES_PER_FRAME;
    sound->position = 0;
    sound->playing = false;
    unlock();
    SDL_free(oldData);
    if (oldStream) SDL_RWclose(oldStream);
}

// A load that fails leaves the sound empty and silent, whatever it held before: a sound that
// kept its old samples would still play after its file was refused.
int emptySound(WSound* sound) {
    replaceSamples(sound, nullptr, nullptr, 0, 0);
    return 0;
}

} // namespace

int asSndLoad(WSound* sound, int flags, const char* path) {
    if (!sound) return 0;
    if (!path) return emptySound(sound);
    std::vector<unsigned char> file;
    if (!KReadFile(KDataPath(path), file)) {
        Log("Sound: cannot load \"%s\" (no such file)\n", path);
        return emptySound(sound);
    }
    WaveLayout layout;
    if (const char* why = waveRefusal(file, layout)) {
        Log("Sound: cannot load \"%s\" (%s)\n", path, why);
        return emptySound(sound);
    }
    // Already in the mixer's format: read from the file while it plays.
    if (layout.mixerFormat) {
        if (SDL_RWops* stream = SDL_RWFromFile(KDataPath(path).c_str(), "rb")) {
            replaceSamples(sound, nullptr, stream, long(layout.dataStart), long(layout.dataLength));
            return 1;
        }
    }
    SDL_AudioSpec spec;
    Uint8* buf = nullptr;
    Uint32 len = 0;
    if (!SDL_LoadWAV_RW(SDL_RWFromConstMem(file.data(), int(file.size())), 1, &spec, &buf, &len)) {
        Log("Sound: cannot load \"%s\" (%s)\n", path, SDL_GetError());
        return emptySound(sound);
    }
    // Convert to the mixer's format once, here, not while mixing.
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, MIX_FORMAT, MIX_CHANNELS,
                          MIX_RATE) < 0) {
        Log("Sound: unsupported format in \"%s\"\n", path);
        SDL_FreeWAV(buf);
        return emptySound(sound);
    }
    cvt.len = static_cast<int>(len);
    cvt.buf = static_cast<Uint8*>(SDL_malloc(static_cast<size_t>(len) * cvt.len_mult));
    if (!cvt.buf) {
        SDL_FreeWAV(buf);
        return emptySound(sound);
    }
    SDL_memcpy(cvt.buf, buf, len);
    SDL_FreeWAV(buf);
    if (cvt.needed && SDL_ConvertAudio(&cvt) != 0) {
        SDL_free(cvt.buf);
        return emptySound(sound);
    }
    replaceSamples(sound, cvt.buf, nullptr, 0, cvt.needed ? cvt.len_cvt : cvt.len);
    return 1;
}

int asSndSetTime(WSound* sound, int unit, int milliseconds) {
    if (!sound || sound->length <= 0) return 0;
    long pos = static_cast<long>(std::max(milliseconds, 0)) * MIX_RATE / 1000 * BYTES_PER_FRAME;
    lock();
    sound->position = std::min(pos, sound->length - BYTES_PER_FRAME);
    unlock();
    return 1;
}

int asSndPlay(WSound* sound, int repeats) {
    if (!sound || sound->length <= 0) return 0;
    lock();
    sound->repeats = repeats < 0 ? -1 : repeats;
    sound->playing = true;
    unlock();
    return 1;
}

int asSndStop(WSound* sound) {
    if (!sound || sound->length <= 0) return 0;
    lock();
    sound->playing = false;
    unlock();
    return 1;
}

void KivFreeSound() {
    if (g_device) {
        SDL_CloseAudioDevice(g_device);
        g_device = 0;
    }
    for (int i = 0; i < g_soundCount; ++i)
        g_sounds[i]->playing = false;
    if (g_audioInit) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        g_audioInit = false;
    }
}

bool asSndIsPlaying(const WSound* sound) {
    return sound && sound->playing;
}
long asSndGetPosition(const WSound* sound) {
    return sound ? sound->position : 0;
}
