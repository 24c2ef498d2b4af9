#pragma once
// Drawing the scene into the window.

#include "engine/math3d.h"

class KScene;
class KScreen;
class KNodeGraph;

// Draws the scene as seen by `camera` (a camera node; any other node is looked through with a
// 60 degree view) into the screen's back buffer: the clear colour (r, g, b), then the lit
// opaque meshes, the mirror reflections in reflective materials, the blended meshes and
// sprites back to front, then the scene's texts and 2D images (the cursor above the texts) in
// window pixels. With `keepColor` the colour buffer is not cleared. Sets the scene's current camera
// and screen size and fills its statistics counters. Does nothing without a scene or screen.
void RenderScene(KScene* scene, KScreen* screen, KNodeGraph* camera, const KVector& clearColor,
                 bool keepColor);

// Shows the frame drawn by RenderScene. May wait for the display refresh (vertical sync).
void SwapBuffers(KScreen* screen);

// True for the name of a renderer that draws on the processor (Mesa's llvmpipe, softpipe and
// swrast, OpenSWR, Microsoft's WARP) as OpenGL's GL_RENDERER string gives it; null counts as
// software. Such a renderer draws without multisampling: its cost outweighs the smoother edges.
bool KIsSoftwareRenderer(const char* glRendererName);
