// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/material.h"

#include "engine/scene.h"

KMaterial::KMaterial(KScene* owner) : scene(owner) {
    if (owner) owner->Register(this);
}

void KMaterial::SetOption(unsigned bits, bool on) {
    unsigned next = on ? (options | bits) : (options & ~bits);
    if (next == options) return;
    options = next;
    changed = optionsChanged = orderChanged = 1;
}
