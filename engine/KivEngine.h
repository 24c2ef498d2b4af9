// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// KivEngine: the scene engine. Including this header gives the whole public interface.

#include "engine/anim.h"
#include "engine/clock.h"
#include "engine/folders.h"
#include "engine/hooks.h"
#include "engine/log.h"
#include "engine/material.h"
#include "engine/math3d.h"
#include "engine/mesh.h"
#include "engine/node.h"
#include "engine/scene.h"
#include "engine/scene_fingerprint.h"
#include "engine/skeleton.h"
#include "engine/text2d.h"
#include "engine/texture.h"

// Window, rendering and sound: their public headers, once they are in the tree.
#if __has_include("engine/screen_api.h")
#include "engine/screen_api.h"
#endif
#if __has_include("engine/render_api.h")
#include "engine/render_api.h"
#endif
#if __has_include("engine/sound_api.h")
#include "engine/sound_api.h"
#endif
