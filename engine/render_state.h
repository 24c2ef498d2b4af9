// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The renderer's internals, shared by the render_*.cpp sources only: the GL objects that live
// with the screen's context and the per-frame lists and buffers, reused from frame to frame.

#include <deque>
#include <memory>
#include <vector>

#include "engine/gl_shader.h"
#include "engine/math3d.h"
#include "engine/render_api.h"
#include "engine/render_scale.h"

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
    int stride = 0;         // floats a vertex takes in vbo: with its colour, or without (white)
    unsigned version = 0;   // changes with every upload
    GLenum indexType = GL_UNSIGNED_INT; // GL_UNSIGNED_SHORT when the vertices are few enough
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
    // Mesh programs by feature bits (KPROG_*) and the frame's light set, built when first
    // needed (a frame uses a handful of the thousands of slots: each is made with its program).
    // `active` is the one in use, null after overlay drawing.
    static constexpr int PROGRAM_SLOTS = KPROG_VARIANTS * (MAX_LIGHTS + 1) * 2;
    std::unique_ptr<KMeshProgram> programs[PROGRAM_SLOTS];
    bool programFailed[PROGRAM_SLOTS] = {}; // refused by the driver: not tried again
    const KMeshProgram* active = nullptr;
    KLightSet lightSet; // the lights of the frame (KSetLights)
    KOverlayProgram overlay;
    KUpscaleProgram upscale;         // built when the scene is first drawn below the picture's size
    GLuint quadVao = 0, quadVbo = 0; // unit quad, centred, facing +z: sprites
    GLuint streamVao = 0, streamVbo = 0; // window-space quads, refilled during the frame
    long streamCapacity = 0;             // bytes
    long streamUsed = 0;                 // bytes used this frame
    GLuint whiteTex = 0;                 // bound when a material has no texture
    bool constantWhite = false;          // the colour attribute's constant value is white

    // Multisampling (hardware renderers only): the frame is drawn into msFbo and resolved into
    // the window at its end. samples 0: drawn straight into the window.
    int samples = 0;
    GLuint msFbo = 0, msColor = 0, msDepth = 0;
    int msWidth = 0, msHeight = 0; // pixels of the buffer as made

    // Render scale: the 3D scene (all but what hangs under the camera) is drawn at `scale` of
    // the picture's width and height into the scene buffer (through the multisampled buffer
    // on hardware), then filtered up into the window, where the heads-up objects, texts and
    // images are drawn at full resolution. At 1 everything is drawn straight into the frame.
    float fixedScale = 1;   // the scale asked for; 0: automatic
    bool holdScale = false; // the caller holds the automatic scale (something moves)
    KRenderScaler scaler;   // the automatic scale
    float scale = 1;        // of the frame being drawn
    unsigned long long lastFrameCounter = 0; // performance counter at the last frame's start
    double pausedSeconds = 0;     // of the time since then, what was not the frames' (KNotePause)
    double givenFrameSeconds = 0; // tests: the frame time the automatic scale is given (0: real)
    GLuint sceneFbo = 0, sceneColor = 0, sceneDepth = 0; // colour is a texture
    int sceneWidth = 0, sceneHeight = 0;                 // pixels of the buffer as made

    // Mirror reflections: the scene mirrored in the reflective surfaces' plane, drawn at half
    // the 3D scene's resolution into a texture the surfaces then show (render_mirror.cpp).
    GLuint reflectFbo = 0, reflectColor = 0, reflectDepth = 0; // colour is a texture
    int reflectWidth = 0, reflectHeight = 0;                   // pixels of the buffer as made
    bool reflecting = false; // this frame's reflective surfaces show the texture
    float mirrorPlane = 0;   // the plane y = mirrorPlane the texture mirrors in

    // Per frame, cleared and refilled without giving memory back.
    std::vector<KWalkEntry> stack;
    std::vector<KLight*> lights;
    std::vector<KDrawItem> opaque, blended, reflective;
    std::vector<KDrawItem> hudOpaque, hudBlended; // what hangs under the camera
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

    // Frame view.
    KMatrix view, proj, viewProj;
    KVector camPos, camRight, camUp, camForward;
    KVector clearColor;
    // Where the game's picture lies in the window (drawable pixels from the bottom left):
    // (0, 0) and the whole window unless full screen leaves bars beside a 4:3 picture.
    int pictureX = 0, pictureY = 0;
    int pictureW = 0, pictureH = 0;
    // The same bars in window pixels, the game's unit: the picture's top-left corner in the
    // window and the window's size. Texts and images may stand on the bars.
    int barsOriginX = 0, barsOriginY = 0;
    int windowW = 0, windowH = 0;
    bool bars = false;                // bars beside (or above and below) the picture this frame
    int drawableW = 0, drawableH = 0; // the window's
    bool worldMultisampled = false;   // this frame's 3D scene goes through msFbo
    // The 3D scene's size in pixels: the picture's times the frame's scale.
    int worldW = 0, worldH = 0;
    // The viewport of the target being drawn into: its size (the 3D scene's, then the
    // picture's for the heads-up objects and texts) and offset in that target (the picture's
    // place when drawing straight into the window, (0, 0) in the renderer's own buffers).
    int viewportW = 0, viewportH = 0;
    int drawX = 0, drawY = 0;

    // Frame uniforms (lights, view, clip plane), sent to each program when it is next used
    // after they change; `frameSerial` counts the changes.
    unsigned frameSerial = 0;
    // Counts frames and light changes: material uniforms sent are valid until it moves on (the
    // ambient term a material is sent with includes the lights' ambient colours).
    unsigned materialSerial = 0;
    int lightCount = 0;
    float lightPos[MAX_LIGHTS * 4], lightSpotDir[MAX_LIGHTS * 3];
    float lightDiffuse[MAX_LIGHTS * 3], lightSpecular[MAX_LIGHTS * 3];
    float lightParams[MAX_LIGHTS * 3];
    float ambientLight[3] = {0, 0, 0}; // the global ambient plus every light's ambient colour
    float clipPlane[4] = {0, 0, 0, 1};
    GLuint boundTexture = 0; // texture unit 0's binding as last set by the mesh programs
    int cullFace = -1;       // GL_CULL_FACE as last set: 1 on, 0 off, -1 unknown

    // Work of the frame being drawn: draw calls and triangles of every pass.
    int drawCalls = 0;
    int drawnTriangles = 0;

    // Pass timing (SetPassTiming): real time per pass of the frame being drawn.
    bool timePasses = false;
    unsigned long long passStart = 0; // performance counter at the last wait
    KPassTime passTimes[KPASS_SLOTS];
    int passCount = 0;

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
// The GL objects of a GPU mesh: made, filled (storage reused when big enough; the vertex layout
// recorded as it fits the vertices), released. `vertices` hold FLOATS_PER_VERTEX floats each.
void KInitGpuMesh(KGpuMesh& gm);
void KFillGpuMesh(KGpuMesh& gm, const std::vector<float>& vertices,
                  const std::vector<unsigned>& indices, bool isStatic);
void KReleaseGpuMesh(KGpuMesh& gm);
// The bytes an index of the mesh takes in its index buffer.
inline size_t KIndexBytes(const KGpuMesh& gm) {
    return gm.indexType == GL_UNSIGNED_SHORT ? sizeof(unsigned short) : sizeof(unsigned);
}

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
// A level of detail, once sent, is only drawn from its GPU copy: its vertices and faces go.
// Should a new context need it sent again it is empty, and the finer level stands in for it.
void KLetGoOfLevel(KMesh* level);
// Memory the renderer let go of (a level's vertices, a texture) mostly lies inside the
// allocator's heap, which keeps it for the process: after the frame's swap (SwapBuffers), its
// free pages go back to the system, once for all the memory let go since the last swap.
void KNoteMemoryLetGo();

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
// A reflective surface showing the reflection texture through 1 - alpha of its own colour.
void KDrawReflectiveNow(KRenderState& rs, const KDrawItem& item, float alpha);

// render_mirror.cpp: the reflective surfaces with what they mirror. Prepare, after the walk and
// before the 3D scene's target is bound: draws the scene mirrored in the surfaces' plane into the
// reflection texture when a surface shows a reflection (not when there is none in view, or the
// eye is below them). Draw, once the opaque things in front of the surfaces are drawn: the
// surfaces themselves, showing the texture.
void KPrepareReflections(KRenderState& rs);
void KDrawReflections(KRenderState& rs);
void KFreeReflections(KRenderState& rs);

// render_overlay.cpp: images and texts in window pixels.
void KDrawOverlay(KRenderState& rs, KScene* scene);
// render_target.cpp: the window bound for the texts and images when bars lie beside the
// picture, its whole drawable the viewport; a picture still in the multisampled buffer is
// resolved into it first.
void KTargetWholeWindow(KRenderState& rs);

// render_target.cpp: the frame's targets. BeginWorld binds and clears the target of the 3D
// scene: the scene buffer at a scale below 1, else the multisampled buffer (made or resized
// first) when the renderer multisamples, else the window. EndWorld, at a scale below 1, filters
// the scene up into the window and leaves the window bound for the heads-up objects, with its
// viewport on the picture. EndFrame resolves the multisampled buffer into the window and
// leaves the window's framebuffer bound.
void KBeginWorld(KRenderState& rs, bool keepColor);
void KEndWorld(KRenderState& rs);
void KEndFrameTarget(KRenderState& rs);
void KFreeFrameTarget(KRenderState& rs);

// render_sky.cpp: whether the sky item (drawn at SKY_DEPTH) cannot show a pixel this frame: a
// flat opaque rectangle of the 3D scene (a floor) fills the whole picture nearer than it. Reads
// the frame's opaque and reflective lists and view.
bool KSkyHidden(const KRenderState& rs, const KDrawItem& sky);

// The frame's scale, from the scale asked for or the automatic one fed with the time since the
// last frame began; sets rs.scale, worldW and worldH.
void KChooseScale(KRenderState& rs);

// render_timing.cpp: with pass timing on, Begin waits for the GPU and starts the frame's
// times; Mark waits for it again and adds the time since the last wait to `pass` (and
// `detail`, a material's name or null). Both do nothing while timing is off.
void KPassBeginTimed(KRenderState& rs);
void KPassMarkTimed(KRenderState& rs, const char* pass, const char* detail);
// Inline, so that an untimed frame pays one test per mark and no call.
inline void KPassBegin(KRenderState& rs) {
    if (rs.timePasses) KPassBeginTimed(rs);
}
inline void KPassMark(KRenderState& rs, const char* pass, const char* detail = nullptr) {
    if (rs.timePasses) KPassMarkTimed(rs, pass, detail);
}

// render_stats.cpp: the scene's counters for the frame just drawn.
void KUpdateStats(KRenderState& rs, KScene* scene, int visObjects, int visPolygons);
