// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Materials: colours, opacity and blending, the option word and the texture.

#include <string>

#include "engine/math3d.h"

class KScene;
class KTexture;

// Bits of KMaterial::options.
enum : unsigned {
    KMAT_VERTEXCOLOR = 0x001, // colour multiplied by the vertices' first colour
    KMAT_AUTONORMALS = 0x002, // normals recomputed (smooth) whenever the mesh is re-sent
    KMAT_ALPHATEST = 0x004,   // pixels with alpha below alphaCutoff are dropped
    KMAT_UNLIT = 0x008,       // texture / diffuse colour alone, no lighting
    KMAT_DOUBLESIDED = 0x010, // no back-face culling
    KMAT_ADDITIVE = 0x020,    // blended additively (glows); implies the blended pass
    KMAT_SPECULAR = 0x040,    // specular highlight on (specular colour, shininess)
    KMAT_DYNAMIC = 0x100,     // meshes using it change often: streamed, not cached
};

class KMaterial {
public:
    explicit KMaterial(KScene* owner); // a material of the scene (the scene deletes it)

    std::string name;
    KColor diffuse{0.8f, 0.8f, 0.8f, 1};
    KColor ambient{0.16f, 0.16f, 0.16f, 1};
    KColor specular{0, 0, 0, 1};
    KColor emissive{0, 0, 0, 1};
    float shininess = 16.0f;    // Phong exponent
    float opacity = 1.0f;       // 0 transparent .. 1 opaque; used when `blend` is set
    float reflect = 0.0f;       // 0..1: mirrors the scene above the surface with that strength
    float alphaCutoff = 0.5f;   // with KMAT_ALPHATEST
    unsigned options = 0;       // KMAT_* bits
    unsigned char blend = 0;    // drawn after the opaque ones, back to front, with opacity
    unsigned char noZWrite = 0; // blended surfaces that do not hide what is behind them
    KTexture* texture = nullptr;
    // Change flags for the renderer: any property, the option word, the blending state.
    unsigned char changed = 1, optionsChanged = 1, orderChanged = 1;
    KScene* scene;

    // Sets (on) or clears the bits; when that changes the word, raises the change flags.
    void SetOption(unsigned bits, bool on);
    bool Has(unsigned bits) const { return (options & bits) == bits; }
    // True when the material is drawn in the blended pass.
    bool IsBlended() const { return blend || (options & KMAT_ADDITIVE); }
};
