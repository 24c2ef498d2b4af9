// SPDX-License-Identifier: GPL-3.0-or-later
// The model-file loader as the game calls it (LoadSceneFromFILE on a GLB file). A refused file
// adds nothing to the scene; an accepted one gives nodes whose meshes only name vertices they
// have and materials of the scene, and the scene can be picked through and emptied.

#include <cstdint>

#include "engine/KivEngine.h"
#include "tests/fuzz/fuzz_files.h"

namespace {

KScene* g_fuzzScene = nullptr;

struct Counts {
    size_t nodes, meshes, materials, textures;
    bool operator==(const Counts&) const = default;
};

Counts counts(const KScene* s) {
    return {s->nodes.size(), s->meshes.size(), s->materials.size(), s->textures.size()};
}

bool ownedMaterial(const KScene* s, const KMaterial* m) {
    for (const KMaterial* own : s->materials)
        if (own == m) return true;
    return false;
}

// Every face of the mesh and of its levels of detail names existing vertices and a material of
// the scene (or none).
bool meshSound(const KScene* s, const KMesh* mesh) {
    for (const KFace& f : mesh->faces)
        for (int k = 0; k < 3; ++k)
            if (f.ref[k] < 0 || size_t(f.ref[k]) >= mesh->verts.size() ||
                (f.mat && !ownedMaterial(s, f.mat)))
                return false;
    for (const KMesh* level : mesh->levels)
        if (!level || (level != mesh && !level->levels.empty() && level->levels[0] == mesh))
            return false;
    return mesh->levels.size() == mesh->levelCoverage.size();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    KivInitDLL();
    g_fuzzScene = CreateScene();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    restartLogEvery(4096);
    KScene* scene = g_fuzzScene;
    const char* path = fuzzInputFile(data, size, ".m3d");
    const Counts before = counts(scene);
    if (!LoadSceneFromFILE(scene, path, nullptr)) {
        if (!(counts(scene) == before)) __builtin_trap(); // a refused file added something
        return 0;
    }
    for (KNodeGraph* n : scene->nodes)
        if (KObject* o = n->AsObject())
            if (o->mesh && !meshSound(scene, o->mesh)) __builtin_trap();
    // The game picks through its models: a camera in front of them, a ray through the middle.
    KCamera* cam = new KCamera(scene);
    cam->InsertAsChildOf(scene->root);
    cam->prs.SetPosition(0, 1, 10);
    scene->camera = cam;
    KPickInfo hit;
    (void)scene->Getinfo(scene->screenWidth / 2, scene->screenHeight / 2, &hit);
    scene->Reset();
    scene->camera = nullptr;
    return 0;
}
