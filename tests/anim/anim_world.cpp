// SPDX-License-Identifier: GPL-3.0-or-later
#include "anim_world.h"

#include <cmath>

float angleBetween(const KVector& a, const KVector& b) {
    const float c = a.Normalized().Dot(b.Normalized());
    return std::acos(std::fmax(-1.0f, std::fmin(1.0f, c))) * 57.295776f;
}
