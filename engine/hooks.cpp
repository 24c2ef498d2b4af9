// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/hooks.h"

namespace {
KRenderHooks g_hooks;
}

void KSetRenderHooks(const KRenderHooks& hooks) {
    g_hooks = hooks;
}
const KRenderHooks& KGetRenderHooks() {
    return g_hooks;
}
