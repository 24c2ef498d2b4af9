// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// GLSL programs of the renderer: compiling, linking and the uniform locations each one uses.

#include <epoxy/gl.h>

class KMaterial;

constexpr int MAX_LIGHTS = 8; // lights that light one frame; the light slot takes the first

// Features of a mesh program (bits): each program is built for one combination.
enum : unsigned {
    KPROG_ALPHATEST = 1,    // pixels under the material's alpha cutoff are dropped
    KPROG_TEXTURE = 2,      // the material's texture modulates its colours
    KPROG_VERTEXCOLOR = 4,  // the vertices' first colour modulates them
    KPROG_UNLIT = 8,        // diffuse colour (times texture) plus emissive, no lights
    KPROG_SPECULAR = 16,    // lit with a specular highlight
    KPROG_REFLECT = 32,     // a mirror: the reflection texture shows through 1 - alpha
    KPROG_SHARP = 64,       // with KPROG_SPECULAR: shininess 8 or more (a cheaper power)
    KPROG_LUMACHROMA = 128, // with KPROG_TEXTURE: the texture as brightness and colour apart
    KPROG_VARIANTS = 256,   // combinations
};

// The lights a lit program is built for: their number (its loop unrolled, the lights' values
// read at fixed places: a software renderer fetches an array element picked by a loop counter
// for every pixel separately) and whether all are point lights without range (no direction,
// cone or fall-off code per pixel).
struct KLightSet {
    int count = 0;          // 0 to MAX_LIGHTS
    bool pointOnly = false; // every light a point light with range 0
};

// The mesh program (sprites, lit and unlit materials, the mirrored scene, stencil marks).
struct KMeshProgram {
    GLuint id = 0;
    unsigned frameSerial = 0;            // frame uniforms (lights, view, clip) sent for it
    const KMaterial* material = nullptr; // material whose uniforms were last sent
    float materialAlpha = -1;            // with this alpha factor
    unsigned materialSerial = 0;         // in this frame
    GLint model = -1, viewProj = -1, clipPlane = -1, camPos = -1;
    GLint diffuse = -1, ambientTerm = -1, specular = -1, emissive = -1, shininess = -1;
    GLint alpha = -1, alphaCutoff = -1;
    GLint lightPos = -1, lightDiffuse = -1;
    GLint lightSpecular = -1, lightSpotDir = -1, lightParams = -1;
    GLint tex = -1, chroma = -1;
    GLint reflectTex = -1, reflectOrigin = -1, reflectInvSize = -1;
};

// The window-space program: images, texts and full-window fills, in pixels from the top left.
struct KOverlayProgram {
    GLuint id = 0;
    GLint screen = -1, color = -1, useTexture = -1, depth = -1, tex = -1;
    GLint origin = -1; // window pixels added to every corner: the picture's place on bars
};

// Filtering the 3D scene, drawn at a fraction of the picture's size, up to the picture.
struct KUpscaleProgram {
    GLuint id = 0;
    GLint scene = -1;     // sampler of the scene's colour
    GLint sceneSize = -1; // its size in pixels
};

// All false (and a log line with the compiler's message) when the driver refuses a shader.
// `features` is a combination of KPROG_* bits below KPROG_VARIANTS; a lit program serves only
// frames with the lights it was built for. Only the alpha-tested programs may discard pixels: a
// shader that can discard loses the early depth test, which the software rasteriser needs to
// skip hidden pixels.
bool KBuildMeshProgram(KMeshProgram& p, unsigned features, const KLightSet& lights);
bool KBuildOverlayProgram(KOverlayProgram& p);
bool KBuildUpscaleProgram(KUpscaleProgram& p);
