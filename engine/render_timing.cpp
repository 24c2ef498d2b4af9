// SPDX-License-Identifier: GPL-3.0-or-later
// Pass timing: where a frame's time goes, pass by pass, for the frame benchmark. Each mark
// waits for the GPU to finish what was sent, so the time between two marks is the time that
// pass took to draw, not only to be sent (a software renderer draws when it is flushed).

#include "engine/material.h"
#include "engine/render_state.h"
#include "engine/screen_api.h"

#include <SDL2/SDL.h>
#include <cstring>

namespace {

double secondsSince(unsigned long long& start) {
    const unsigned long long now = SDL_GetPerformanceCounter();
    const double s = double(now - start) / double(SDL_GetPerformanceFrequency());
    start = now;
    return s;
}

bool same(const char* a, const char* b) {
    return a == b || (a && b && std::strcmp(a, b) == 0);
}

} // namespace

void KPassBeginTimed(KRenderState& rs) {
    glFinish();
    rs.passCount = 0;
    secondsSince(rs.passStart);
}

void KPassMarkTimed(KRenderState& rs, const char* pass, const char* detail) {
    glFinish();
    const double s = secondsSince(rs.passStart);
    for (int i = 0; i < rs.passCount; ++i) {
        KPassTime& t = rs.passTimes[i];
        if (same(t.pass, pass) && same(t.detail, detail)) {
            t.seconds += s;
            return;
        }
    }
    // A new entry; once they are all taken, the last one gathers the rest.
    if (rs.passCount == KPASS_SLOTS) {
        KPassTime& last = rs.passTimes[KPASS_SLOTS - 1];
        last.pass = "other";
        last.detail = nullptr;
        last.seconds += s;
        return;
    }
    rs.passTimes[rs.passCount++] = KPassTime{pass, detail, s};
}

void SetPassTiming(KScreen* screen, bool on) {
    if (!screen || !screen->render) return;
    screen->render->timePasses = on;
    screen->render->passCount = 0;
}

const KPassTime* GetPassTimes(const KScreen* screen, int& count) {
    count = 0;
    if (!screen || !screen->render || !screen->render->timePasses) return nullptr;
    count = screen->render->passCount;
    return screen->render->passTimes;
}
