// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The seam between the scene data and the renderer, which owns every GPU resource. The renderer
// installs these once; the data objects call them when they need the GPU side to act.

class KMesh;
class KTexture;

struct KRenderHooks {
    void (*meshDestroyed)(KMesh* mesh) = nullptr;        // free mesh->gpu
    void (*textureDestroyed)(KTexture* tex) = nullptr;   // delete tex->glId
    void (*textureNeedsUpload)(KTexture* tex) = nullptr; // create and fill tex->glId now
};

void KSetRenderHooks(const KRenderHooks& hooks);
const KRenderHooks& KGetRenderHooks();
