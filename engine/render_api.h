// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Drawing the scene into the window.

#include "engine/math3d.h"

class KScene;
class KScreen;
class KNodeGraph;

// Draws the scene as seen by `camera` (a camera node; any other node is looked through with a
// 60 degree view) into the screen's back buffer: the clear colour (r, g, b), then the lit
// opaque meshes, the mirror reflections in reflective materials, the blended meshes and
// sprites back to front, then what hangs under the camera (heads-up objects), then the scene's
// texts and 2D images (the cursor above the texts) in window pixels. With `keepColor` the colour
// buffer is not cleared. Sets the scene's current camera and screen size and fills its
// statistics counters. Does nothing without a scene or screen.
//
// At a render scale below 1 the 3D scene, all but what hangs under the camera, is drawn at that
// fraction of the picture's width and height and filtered up to it; heads-up objects, texts and
// images are drawn at the picture's own resolution, whatever the scale.
void RenderScene(KScene* scene, KScreen* screen, KNodeGraph* camera, const KVector& clearColor,
                 bool keepColor);

// Shows the frame drawn by RenderScene. May wait for the display refresh (vertical sync).
void SwapBuffers(KScreen* screen);

// True for the name of a renderer that draws on the processor (Mesa's llvmpipe, softpipe and
// swrast, OpenSWR, Microsoft's WARP) as OpenGL's GL_RENDERER string gives it; null counts as
// software. Such a renderer draws without multisampling: its cost outweighs the smoother edges.
bool KIsSoftwareRenderer(const char* glRendererName);

// The render scale. 0 (KRENDER_SCALE_AUTO) lets it follow the frame time: it starts at 1 and is
// lowered, down to 0.5, while frames take longer than about a thirtieth of a second, and raised
// again when they have room (never below 720 x 540 pixels; a picture no larger than 800 x 600
// stays at 1). Any other value fixes it (clamped to 0.5 .. 1). A new screen draws at a fixed 1.
constexpr float KRENDER_SCALE_AUTO = 0;
void SetRenderScale(KScreen* screen, float scale);
// The scale asked for (KRENDER_SCALE_AUTO when automatic).
float GetRenderScaleSetting(const KScreen* screen);
// The scale the last frame was drawn with (also in the scene's statistics).
float GetRenderScale(const KScreen* screen);
// While held (something moves on screen, where a change of sharpness would show), the
// automatic scale stays as it is; it still measures the frames, to decide at once when let go.
// The caller says so before every frame it wants held.
void HoldRenderScale(KScreen* screen, bool hold);
// Real time between two frames that belongs to neither (the frame loop rested, or ran passes
// that drew nothing): the automatic scale leaves it out of the frame time it measures, which
// otherwise runs from one frame's start to the next.
void KNotePause(KScreen* screen, double seconds);

// Pass timing, to see where a frame goes (benchmarks only). While it is on, the renderer waits
// for the GPU (glFinish) after each pass of the frame and after each opaque draw, and adds the
// real time since the last wait to that pass: `pass` names it ("walk", "mirror pass", "clear",
// "opaque", "mirror surfaces", "sky", "blended", "upscale", "heads-up", "texts and images"),
// `detail` is the material's name for the draws of the opaque and sky passes (null for the
// others). The waits keep the passes from overlapping, so a timed frame takes longer than an
// untimed one; the shares are what it tells.
struct KPassTime {
    const char* pass;   // static text
    const char* detail; // a material's name, valid until the scene changes; or null
    double seconds;     // real time of the last frame spent in it
};
constexpr int KPASS_SLOTS = 64; // passes and materials kept per frame; the rest go to "other"
void SetPassTiming(KScreen* screen, bool on);
// The passes of the last frame drawn, in the order first met; their number. Null when
// timing is off.
const KPassTime* GetPassTimes(const KScreen* screen, int& count);
