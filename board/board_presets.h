// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The preset animations of the board's own nodes, written once at start-up after the board's
// loaders (anim/anim_manager.h says the order of all presets).

// The light pivot placed at (8, 2, 3.5) with a stopped entry of preset 83, ".\M3D\animCircle.m3d"
// loaded, the light paths 83 and 84 and the light fades 0 to 5.
void SetupLights();
// The piece glide (17), an entry of it for every piece node, and the indicators (220, 221).
void SetupPieceAnims();
