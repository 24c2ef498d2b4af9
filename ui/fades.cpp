// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/fades.h"

#include "anim/anim_manager.h"
#include "engine/KivEngine.h"

namespace {

struct FadeKey {
    int time;
    float opacity;
};

struct FadePreset {
    int preset;
    FadeKey from, to;
    int endTime;
    float speed; // key time units per second
};

constexpr FadePreset PRESETS[] = {
    {FADE_QUIT_IN, {0, 0.0f}, {500, 1.0f}, 501, 1000},
    {FADE_PANEL_IN, {0, 0.0f}, {500, 0.75f}, 501, 1000},
    {FADE_PANEL_OUT, {0, 0.75f}, {500, 0.0f}, 501, 1000},
    {FADE_SELECTION_IN, {0, 0.0f}, {500, 0.4f}, 501, 1000},
    {FADE_SELECTION_OUT, {0, 0.4f}, {500, 0.0f}, 501, 1000},
    {FADE_INFO_IN, {0, 0.0f}, {300, 0.8f}, 301, 1200},
    {FADE_INFO_HOLD, {0, 0.8f}, {500, 0.8f}, 501, 250},
    {FADE_INFO_OUT, {0, 0.8f}, {300, 0.0f}, 301, 1200},
    {FADE_REQUEST_IN, {0, 0.0f}, {300, 0.8f}, 301, 1200},
    {FADE_REQUEST_OUT, {0, 0.8f}, {300, 0.0f}, 301, 1200},
};

} // namespace

void writeFadePresets() {
    if (!g_anim) return;
    for (const FadePreset& p : PRESETS) {
        KAnimMat* anim = g_anim->material_anims[p.preset];
        anim->addKeyType(KMATKEY_OPACITY, p.from.time, p.from.opacity);
        anim->addKeyType(KMATKEY_OPACITY, p.to.time, p.to.opacity);
        if (anim->length < p.endTime) anim->length = p.endTime;
        anim->speed = p.speed;
    }
}

void playFade(KMaterial* mat, int preset, void (*onEnd)()) {
    if (!mat || !g_anim) return;
    SetMaterialAnim(mat, preset);
    StartMaterialAnim(mat, 1, onEnd);
}

void prepareFade(KMaterial* mat, float opacity) {
    if (!mat) return;
    mat->opacity = opacity;
    if (!mat->blend) mat->orderChanged = 1;
    mat->blend = 1;
    mat->noZWrite = 1; // a panel never hides what lies behind it
    mat->changed = 1;
}
