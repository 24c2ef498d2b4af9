// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The scene: root node, registries of everything it owns, the window-space lists, the light
// slot, the current camera and the statistics of the last frame. Also the engine's life
// (KivInitDLL, CreateScene, KivFreeDLL), model loading and name look-ups.

#include <vector>

#include "engine/math3d.h"

class KNodeGraph;
class KShell;
class KObject;
class KLight;
class KCamera;
class KMesh;
class KMaterial;
class KTexture;
class KFont;
class KTexte;
class KImage2D;

// Counters of the last rendered frame, written by the renderer.
struct KStats {
    float fps = 0;            // frames per second
    int nbObjects = 0;        // object nodes in the scene
    int nbMeshes = 0;         // first further count: meshes
    int nbNodes = 0;          // second further count: all nodes
    int nbVisObjects = 0;     // objects drawn
    int nbPolygons = 0;       // triangles of all objects
    int nbVisPolygons = 0;    // triangles of the objects drawn
    int nbDrawCalls = 0;      // draw calls of the frame, every pass (mirror, texts) included
    int nbDrawnTriangles = 0; // triangles sent to the rasteriser, every pass included
    int nbLights = 0;         // light nodes
    int nbUsedLights = 0;     // lights that lit the frame
    int nbTextures = 0;
    int nbMaterials = 0;
    double textureMemory = 0; // bytes of texture pixels
    float renderScale = 1;    // of the 3D scene's width and height to the picture's
};

// What picking found.
struct KPickInfo {
    KObject* object = nullptr;
    KVector point;      // world-space hit point
    float distance = 0; // from the camera, world units
    int face = -1;      // index of the triangle hit in the object's mesh
};

class KScene {
public:
    KScene();
    ~KScene();
    KScene(const KScene&) = delete;
    KScene& operator=(const KScene&) = delete;

    KShell* root = nullptr;          // the game's group nodes hang under it
    KLight* selectedLight = nullptr; // the light slot: this light gets the first light slot
    KCamera* camera = nullptr;       // current camera: set by RenderScene, used by picking
    int screenWidth = 800, screenHeight = 600; // window size in pixels
    // In full screen on a display wider (or taller) than 4:3 the picture is centred between
    // black bars: each one's width beside it (height above and below), in the same pixels.
    // Window-space images and texts may stand on them: x from -barWidth to screenWidth +
    // barWidth, y from -barHeight to screenHeight + barHeight. 0 in a window.
    int barWidth = 0, barHeight = 0;
    KStats stats;                 // last frame
    unsigned char statistics = 0; // set while the game shows the statistics
    unsigned char changed = 1;    // graph or meshes rebuilt: renderer refreshes its lists

    std::vector<KTexte*> textes;   // drawn every frame, in order; owned
    std::vector<KImage2D*> images; // drawn every frame, in order; owned

    // Everything the scene owns, in creation order.
    std::vector<KNodeGraph*> nodes;
    std::vector<KMesh*> meshes;
    std::vector<KMaterial*> materials;
    std::vector<KTexture*> textures;
    std::vector<KFont*> fonts;

    // Deletes everything the scene owns and starts again with an empty root.
    void Reset();

    // The object under window pixel (x, y) (origin top left) as seen by `camera` with the
    // current screen size: the nearest triangle of a drawn object hit by the ray from the
    // camera through the pixel. Null when nothing is hit or there is no camera.
    KObject* Getinfo(int x, int y, KPickInfo* info = nullptr);

    // World-space ray from the current camera through window pixel (x, y); false without a
    // camera. `dir` is normalised.
    bool PixelRay(float x, float y, KVector& origin, KVector& dir);

    // Appends a text to the drawn list and takes ownership (once; a second call is ignored).
    void AddTexte(KTexte* t);

    // Registration, called by the constructors of nodes, meshes, materials, textures, fonts
    // and 2D images; and removal, called by their destructors.
    void Register(KNodeGraph* n);
    void Register(KMesh* m);
    void Register(KMaterial* m);
    void Register(KTexture* t);
    void Register(KFont* f);
    void Register(KImage2D* i);
    void Unregister(KNodeGraph* n);
    void Unregister(KMesh* m);
    void Unregister(KTexture* t);

    // True while Reset deletes everything (destructors then skip their unlinking).
    bool Resetting() const { return resetting_; }

private:
    void DeleteAll();
    bool resetting_ = false;
};

// Engine life: KivInitDLL before anything else (opens the log), KivFreeDLL after everything.
int KivInitDLL();
void KivFreeDLL();
// The scene, with its root node.
KScene* CreateScene();

// Loads a model file (GLB; '\' taken as '/'; exact case) and hangs its top nodes under
// `parent`, or under the scene's root when parent is null. Returns 1, or 0 (and a log line)
// when the file is missing or malformed; nothing is added then.
int LoadSceneFromFILE(KScene* scene, const char* path, KNodeGraph* parent);

// Look-ups by name, null when absent. Objects: the first node of that name created in the
// scene (originals before their copies), attached or not. Textures: by the path as written
// in the game (".\textures\..."); '\' and '/' match each other; the texture's pixels are then
// kept in memory for the caller (KTexture::KeepPixels).
KNodeGraph* GetObjByName(KScene* scene, const char* name);
KMaterial* GetMatByName(KScene* scene, const char* name);
KTexture* GetTexByName(KScene* scene, const char* name);
// The same texture look-up for the engine itself: it leaves the pixels free to be let go once
// the GPU holds them (GetTexByName keeps them in memory for the caller).
KTexture* KFindTexture(KScene* scene, const char* name);
