#pragma once
// GLSL programs of the renderer: compiling, linking and the uniform locations each one uses.

#include <epoxy/gl.h>

constexpr int MAX_LIGHTS = 8; // lights that light one frame; the light slot takes the first

// The lit mesh program (also draws sprites, unlit materials and the mirrored scene).
struct KMeshProgram {
    GLuint id = 0;
    GLint model = -1, viewProj = -1, clipPlane = -1, camPos = -1;
    GLint diffuse = -1, ambient = -1, specular = -1, emissive = -1, shininess = -1;
    GLint alpha = -1, alphaCutoff = -1, useTexture = -1, useVertexColor = -1, unlit = -1;
    GLint globalAmbient = -1, lightCount = -1, lightPos = -1, lightDiffuse = -1;
    GLint lightSpecular = -1, lightAmbient = -1, lightSpotDir = -1, lightParams = -1;
    GLint tex = -1;
};

// The window-space program: images, texts and full-window fills, in pixels from the top left.
struct KOverlayProgram {
    GLuint id = 0;
    GLint screen = -1, color = -1, useTexture = -1, depth = -1, tex = -1;
};

// Both false (and a log line with the compiler's message) when the driver refuses a shader.
// The alpha-tested variant alone may discard pixels: a shader that can discard loses the
// early depth and stencil tests, which the software rasteriser needs to skip hidden pixels.
bool KBuildMeshProgram(KMeshProgram& p, bool alphaTest);
bool KBuildOverlayProgram(KOverlayProgram& p);
