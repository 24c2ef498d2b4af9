#pragma once
// The renderer's internals, shared by the render_*.cpp sources only: the GL objects that live
// with the screen's context and the per-frame lists and buffers, reused from frame to frame.

#include <deque>
#include <vector>

#include "engine/gl_shader.h"
#include "engine/math3d.h"

class KScreen;
class KScene;
class KMesh;
class KMaterial;
class KTexture;
class KNodeGraph;
class KObject;
class KLight;
class KSprite;

// One material's run of triangles in a mesh's index buffer.
struct KGpuRange {
    KMaterial* mat;
    int first; // first index
    int count; // indices (3 per triangle)
};

// A mesh on the GPU (KMesh::gpu): one vertex per distinct face corner (a vertex with the same
// texture coordinates in every face around it is sent once), triangles indexed and grouped by
// material.
struct KGpuMesh {
    GLuint vao = 0, vbo = 0, ibo = 0;
    long capacity = 0;      // bytes allocated in vbo
    long indexCapacity = 0; // bytes allocated in ibo
    int vertexCount = 0;    // indices: 3 per triangle
    int cornerCount = 0;    // vertices sent
    unsigned version = 0;   // changes with every upload
    std::vector<KGpuRange> ranges;
    KVector lo, hi; // object-space bounds
    // Small meshes that stay as they are (up to BATCH_MAX_INDICES indices): what was sent,
    // kept for merged draws. Empty for the others.
    std::vector<float> cpuVertices;
    std::vector<unsigned> cpuIndices;
};

constexpr int FLOATS_PER_VERTEX = 12;  // position 3, normal 3, uv 2, colour 4
constexpr int BATCH_MAX_INDICES = 192; // meshes of up to 64 triangles are merged into batches

// Small opaque meshes with one material merged into one draw (render_batch.cpp): their
// vertices in world space, rebuilt only when a member moved or the members changed.
struct KBatchMember {
    const KGpuMesh* mesh;
    unsigned version;
    int first, count; // the material's run in the mesh
    KMatrix model;
};
struct KBatch {
    KMaterial* mat = nullptr;
    bool reflective = false, onCamera = false, mirrored = true; // with the material: the key
    unsigned usedFrame = 0;
    KGpuMesh gpu; // owns its GL objects (made on first use)
    std::vector<KBatchMember> members;
};

// Depth of the opaque things around the eye (a sky, a room): drawn after the others.
constexpr float SKY_DEPTH = 1e30f;

// Something to draw: a material range of an object, or a sprite (mesh null).
struct KDrawItem {
    KNodeGraph* node;
    KMaterial* mat;
    const KGpuMesh* mesh;
    int first, count;
    const KGpuMesh* mirrorMesh; // what stands for it in mirrors: its coarsest level of detail
    int mirrorFirst, mirrorCount;
    float depth;             // distance along the view direction, for back-to-front order
    KMatrix model;           // world matrix (sprites: the camera-facing quad's)
    bool onCamera;           // under the viewing camera: moves with the view, never mirrored
    bool reflective = false; // a reflective surface (its list: reflective, not opaque)
};

// A node still to visit in the frame's walk of the graph.
struct KWalkEntry {
    KNodeGraph* node;
    bool onCamera;
};

struct KRenderState {
    // Mesh programs by feature bits (KPROG_*, KPROG_MARK last) and the frame's light set, built
    // when first needed. `active` is the one in use, null after overlay drawing.
    static constexpr int PROGRAM_SLOTS = (KPROG_VARIANTS + 1) * (MAX_LIGHTS + 1) * 2;
    KMeshProgram programs[PROGRAM_SLOTS];
    bool programFailed[PROGRAM_SLOTS] = {}; // refused by the driver: not tried again
    const KMeshProgram* active = nullptr;
    KLightSet lightSet; // the lights of the frame (KSetLights)
    KOverlayProgram overlay;
    GLuint quadVao = 0, quadVbo = 0;     // unit quad, centred, facing +z: sprites
    GLuint streamVao = 0, streamVbo = 0; // window-space quads, refilled during the frame
    long streamCapacity = 0;             // bytes
    long streamUsed = 0;                 // bytes used this frame
    GLuint whiteTex = 0;                 // bound when a material has no texture

    // Multisampling (hardware renderers only): the frame is drawn into msFbo and resolved into
    // the window at its end. samples 0: drawn straight into the window.
    int samples = 0;
    GLuint msFbo = 0, msColor = 0, msDepth = 0;
    int msWidth = 0, msHeight = 0; // pixels of the buffer as made

    // Per frame, cleared and refilled without giving memory back.
    std::vector<KWalkEntry> stack;
    std::vector<KLight*> lights;
    std::vector<KDrawItem> opaque, blended, reflective;
    std::vector<KDrawItem> batchable; // small opaque or reflective runs, merged after the walk
    std::deque<KBatch> batches;       // kept from frame to frame; never move once made
    std::vector<int> batchOrder;      // batchable sorted by batch key
    unsigned frameNumber = 0;
    std::vector<float> vertexScratch;        // mesh upload: vertices
    std::vector<unsigned> indexScratch;      // mesh upload: indices
    std::vector<KVector> normalScratch;      // smooth normals
    std::vector<int> rangeScratch;           // faces per material during upload
    std::vector<int> cornerHead, cornerNext; // corners sent per mesh vertex, as chains
    std::vector<float> textScratch;          // window-space quads of a text

    // This frame's mirror: the plane y = mirrorPlane and the window rectangle (GL pixels x0,
    // y0, x1, y1) its marks lie in; mirrorMarked once the surfaces are marked in the stencil.
    bool mirrorMarked = false;
    float mirrorPlane = 0;
    int mirrorRect[4] = {0, 0, 0, 0};

    // Frame view.
    KMatrix view, proj, viewProj;
    KVector camPos, camRight, camUp, camForward;
    KVector clearColor;
    int viewportW = 0, viewportH = 0;
    // Where the game's picture lies in the window (drawable pixels from the bottom left):
    // (0, 0) and the whole window unless full screen leaves bars beside a 4:3 picture.
    int pictureX = 0, pictureY = 0;
    // Offset of the viewport in the target drawn into: the picture's place when drawing straight
    // into the window, (0, 0) when into the multisampled buffer (resolved to the place later).
    int drawX = 0, drawY = 0;

    // Frame uniforms (lights, view, clip plane), sent to each program when it is next used
    // after they change; `frameSerial` counts the changes.
    unsigned frameSerial = 0;
    unsigned materialSerial = 0; // counts frames: material uniforms sent are valid within one
    int lightCount = 0;
    float lightPos[MAX_LIGHTS * 4], lightSpotDir[MAX_LIGHTS * 3];
    float lightDiffuse[MAX_LIGHTS * 3], lightSpecular[MAX_LIGHTS * 3];
    float lightAmbient[MAX_LIGHTS * 3], lightParams[MAX_LIGHTS * 3];
    float clipPlane[4] = {0, 0, 0, 1};
    GLuint boundTexture = 0; // texture unit 0's binding as last set by the mesh programs
    int cullFace = -1;       // GL_CULL_FACE as last set: 1 on, 0 off, -1 unknown

    // Work of the frame being drawn: draw calls and triangles of every pass.
    int drawCalls = 0;
    int drawnTriangles = 0;

    bool frameShown = false; // a frame of this screen was swapped to the window

    // Frame rate measurement.
    unsigned long long fpsStart = 0;
    int fpsFrames = 0;
    float fps = 0;
};

// Screen life (screen_window.cpp calls these with the context current).
bool KRenderInit(KScreen* screen);
void KRenderShutdown(KScreen* screen);

// render_mesh.cpp: sends a mesh whose GPU copy is missing or stale; false for an empty mesh.
bool KUploadMesh(KRenderState& rs, KMesh* mesh);
// The GL objects of a GPU mesh: made (vertex layout recorded), filled (storage reused when big
// enough), released.
void KInitGpuMesh(KGpuMesh& gm);
void KFillGpuMesh(KGpuMesh& gm, const std::vector<float>& vertices,
                  const std::vector<unsigned>& indices, bool isStatic);
void KReleaseGpuMesh(KGpuMesh& gm);

// render_batch.cpp: after the walk, the small runs in `batchable` go to the opaque and
// reflective lists, merged by material where several share one. Free releases the batches'
// GL objects.
void KMergeBatches(KRenderState& rs);
void KFreeBatches(KRenderState& rs);
void KFreeGpuMesh(KMesh* mesh);
// Closing the context: every GPU copy is deleted and its mesh or texture marked to be sent
// again should another context draw it.
void KForgetGpuMeshes();
void KForgetGpuTextures();
// render_texture.cpp: creates or refreshes the texture's GL copy; returns the GL name (0 when
// it has no pixels).
GLuint KUploadTexture(KTexture* tex);
// The average colour of the texture's pixels (white without pixels), worked out once.
KColor KTextureMean(KTexture* tex);
void KFreeGpuTexture(KTexture* tex);
bool KRenderGlAlive();

// render_draw.cpp: the mesh programs' per-frame and per-draw state.
// The lit plain program, built at start-up: false when the driver refuses the shaders.
bool KBuildBasePrograms(KRenderState& rs);
void KDeletePrograms(KRenderState& rs);
// Forgets what was sent to the programs and the GL state cached: call at the start of a frame.
void KBeginProgramFrame(KRenderState& rs);
void KSetLights(KRenderState& rs, bool mirrored, float planeY);
// gl_ClipDistance[0] = dot(world position, plane); (0, 0, 0, 1) keeps everything.
void KSetClipPlane(KRenderState& rs, float a, float b, float c, float d);
void KDrawItemNow(KRenderState& rs, const KDrawItem& item, const KMatrix* mirror, float alpha);
// The item's pixels written to depth and stencil only (colour writes must be masked).
void KDrawItemMark(KRenderState& rs, const KDrawItem& item);

// render_mirror.cpp: the reflective surfaces with what they mirror. Mark first, once the
// opaque things in front of the surfaces are drawn: it writes 1 in the stencil where a
// reflective surface shows and returns whether it did (not when there is none, none in view, or
// the eye is below them). Draw then fills the marks with the mirrored scene and the surfaces.
bool KMarkReflections(KRenderState& rs);
void KDrawReflections(KRenderState& rs);

// render_overlay.cpp: images and texts in window pixels; a full-window fill.
void KDrawOverlay(KRenderState& rs, KScene* scene);
void KFillWindow(KRenderState& rs, const KColor& c, float depth);

// render_target.cpp: the frame's target. Begin binds the multisampled buffer (made or resized
// to the viewport first) when the renderer multisamples; End resolves it into the window and
// leaves the window's framebuffer bound.
void KBeginFrameTarget(KRenderState& rs);
void KEndFrameTarget(KRenderState& rs);
void KFreeFrameTarget(KRenderState& rs);

// render_stats.cpp: the scene's counters for the frame just drawn.
void KUpdateStats(KRenderState& rs, KScene* scene, int visObjects, int visPolygons);
