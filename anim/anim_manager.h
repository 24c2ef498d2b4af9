// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The animation manager (g_anim): fixed pools of the engine's key-frame animations, written once
// at start-up (the presets) or rewritten before use (piece glides, menu cubes, indicators), and
// the entries that play them on nodes, materials, lights and hierarchies. UpdateAnimations runs
// once per frame from the frame loop; completion callbacks run inside it.
//
// Everything runs on the frame loop's thread. All animation objects are made by the
// constructor; entry lists grow only when a node, material or light is animated for the first
// time, so a frame never allocates.

#include "game/game_array.h"

class KAnim;
class KAnimMat;
class KAnimLgh;
class KSkeleton;
class KNodeGraph;
class KMaterial;
class KLight;
struct KVector;

// Completion callback of a non-looping entry: a plain function that reaches the long-lived
// objects through the process-wide pointers.
using AnimEndCallback = void (*)();

// Pool sizes.
constexpr int NODE_ANIM_COUNT = 260;
constexpr int MATERIAL_ANIM_COUNT = 100;
constexpr int LIGHT_ANIM_COUNT = 10;
constexpr int SKELETON_ANIM_COUNT = 100;

// Node pool presets.
constexpr int ANIM_VIEW_WHITE = 0;    // game view from White's side
constexpr int ANIM_VIEW_BLACK = 1;    // game view from Black's side
constexpr int ANIM_VIEW_HFILE = 2;    // game view from the h-file side
constexpr int ANIM_VIEW_AFILE = 3;    // game view from the a-file side
constexpr int ANIM_LOOK = 4;          // camera turn towards a picked point
constexpr int ANIM_VIEW_MENU = 5;     // menu view
constexpr int ANIM_VIEW_TOUR = 6;     // circling camera tour (pause view); repeats from key 800
constexpr int ANIM_INTRO = 7;         // intro flight
constexpr int ANIM_PIECE_MOVE = 17;   // piece glide, shared by all 32 piece nodes
constexpr int ANIM_LIGHT_CIRCLE = 83; // lightPivot1 circling the board
constexpr int ANIM_LIGHT_WANDER = 84; // wandering light path
constexpr int ANIM_MENU_CUBE0 = 90;   // menu cube k (row * 16 + column) plays 90 + k
constexpr int ANIM_WATER_GROW = 219;  // water node growing in
constexpr int ANIM_TURN_INDICATOR = 220;
constexpr int ANIM_PLAYER_INDICATOR = 221;

// Material pool: 0 the intro fade; the panels' fades use 1 and 3 to 15 (written by the menu).
constexpr int MATANIM_INTRO_FADE = 0;

// Light pool: 0 on, 1 off, 2/3 to 0.8 diffuse with full ambient and back, 4/5 to 0.5 diffuse
// and back.
constexpr int LIGHTANIM_ON = 0;
constexpr int LIGHTANIM_OFF = 1;

// Entry modes and states.
constexpr int ANIM_LOOP = 0;
constexpr int ANIM_ONCE = 1;
constexpr int ANIM_EASE_OUT = 2; // once, slowing to almost nothing towards the end
constexpr int ANIM_STOPPED = -1;
constexpr int ANIM_START = 0; // starts at the next update
constexpr int ANIM_RUNNING = 1;

// Completions a node's run may carry besides its own: those of runs it replaced that had not
// ended yet. The game's camera has five distinct completions, so four slots always suffice.
constexpr int HANDED_ON_MAX = 4;

// One per animated scene node.
struct NodeAnimEntry {
    KAnim* anim = nullptr;            // the animation played
    int key_flag = 3;                 // putAnimKey bits: 1 position, 2 rotation, 4 scale
    int preset = -1;                  // pool index of anim; 6 repeats from key 800 at its end
    AnimEndCallback on_end = nullptr; // called once when a non-looping entry ends
    float time = 0;                   // current key time
    unsigned stamp = 0;               // last reading of the clock
    bool stamped = false;             // started by a completion: stamp holds the start's moment
    int state = ANIM_STOPPED;
    int mode = ANIM_ONCE;
    KNodeGraph* node = nullptr;                    // the node whose transform is written
    AnimEndCallback handed_on[HANDED_ON_MAX] = {}; // owed by replaced runs; run after on_end
};

// One per animated material.
struct MaterialAnimEntry {
    KAnimMat* anim = nullptr;
    int preset = 0; // pool index of anim
    AnimEndCallback on_end = nullptr;
    float time = 0;
    unsigned stamp = 0;
    bool stamped = false;
    int state = ANIM_STOPPED;
    int mode = ANIM_ONCE;
    KMaterial* material = nullptr;
};

// One per animated light.
struct LightAnimEntry {
    KAnimLgh* anim = nullptr;
    int preset = 0; // pool index of anim
    AnimEndCallback on_end = nullptr;
    float time = 0;
    unsigned stamp = 0;
    bool stamped = false;
    int state = ANIM_STOPPED;
    int mode = ANIM_ONCE;
    KLight* light = nullptr;
};

// A hierarchy animation played with its own speed and length.
struct SkeletonAnimEntry {
    KSkeleton* skeleton = nullptr;
    float speed = 100; // key units per second
    float length = 0;  // key units
    float time = 0;
    unsigned stamp = 0;
    bool stamped = false;
    int state = ANIM_STOPPED;
    int mode = ANIM_ONCE;
};

struct AnimManager {
    GrowArray<KAnim*> node_anims;                  // 260 node animations
    GrowArray<KAnimMat*> material_anims;           // 100 material animations
    GrowArray<KAnimLgh*> light_anims;              // 10 light animations
    GrowArray<KSkeleton*> skeleton_anims;          // 100 hierarchy animations
    GrowArray<NodeAnimEntry> node_entries;         // at most one per node
    GrowArray<MaterialAnimEntry> material_entries; // at most one per material
    GrowArray<LightAnimEntry> light_entries;       // at most one per light
    GrowArray<SkeletonAnimEntry> skeleton_entries;
    unsigned char game_view = 1; // the camera turns to the side to move after every move
    int view_index = 0;          // current game view, 0 to 3
    int view_index_saved = 0;    // game view to return to after the menu or the pause view

    // Fills the four pools (each node animation with a position key (0, 0, 0) and a zero
    // rotation key at time 0); no entries yet.
    AnimManager();
    // Frees the pools (the game keeps its manager to the end; tests make several).
    ~AnimManager();
    AnimManager(const AnimManager&) = delete;
    AnimManager& operator=(const AnimManager&) = delete;
};

// ---- Entries (all act on g_anim; nothing happens without it) --------------------------------

// Starts the node's entry at the next update, from the node's current pose, in `mode` with
// putAnimKey bits `key_flag`; `on_end` runs once when a non-looping entry ends. Nothing when the
// node has no entry. Started from a completion callback, the entry's time counts from the moment
// the entry that called back reached its end, so chained animations keep to the clock.
void StartNodeAnim(KNodeGraph* node, int mode, int key_flag, AnimEndCallback on_end);
void StartMaterialAnim(KMaterial* material, int mode, AnimEndCallback on_end);
void StartLightAnim(KLight* light, int mode, AnimEndCallback on_end);

// The entry of the node (material, light), or null. The pointer stays valid until the next
// entry is appended.
NodeAnimEntry* FindNodeEntry(const KNodeGraph* node);
MaterialAnimEntry* FindMaterialEntry(const KMaterial* material);
LightAnimEntry* FindLightEntry(const KLight* light);

// Points the node's entry (appended when the node has none) at pool animation `preset`,
// stopped at time 0; start it with StartNodeAnim. A preset outside the pool does nothing.
void SetNodeAnim(KNodeGraph* node, int preset);
void SetMaterialAnim(KMaterial* material, int preset);
void SetLightAnim(KLight* light, int preset);

// Gives the hierarchy animation an entry (or finds its entry) with the skeleton's own speed and
// length, stopped; then starts it in `mode`.
void SetSkeletonAnim(KSkeleton* skeleton);
void StartSkeletonAnim(KSkeleton* skeleton, int mode);

// Points the node's entry at `preset` and starts it, as SetNodeAnim then StartNodeAnim do, but a
// run under way is replaced, not dropped: the completions it still owed (its own and those
// handed on to it) are handed on to the new run and run after `on_end` when it ends. With
// `on_end` null the first owed completion becomes the new run's own. Used for every camera
// travel, so that a flight cut short (the menu's closing, the turn towards the computer) still
// finishes its work; the completions look at the game's state when they run.
void ReplaceNodeAnim(KNodeGraph* node, int preset, int mode, int key_flag, AnimEndCallback on_end);

// True when the node's entry is under way and will call `callback` when it ends, as its own
// completion or a handed-on one.
bool NodeAnimOwes(const KNodeGraph* node, AnimEndCallback callback);

// Stops every entry of the four lists. Called from a completion callback, the entries after it
// in the same update neither move nor end.
void StopAll();

// Advances every running entry by the time passed and writes its key: nodes, materials, lights,
// hierarchies, in that order. Completion callbacks run here and may start or append entries.
// Time is the clock's: a slow frame moves everything further, never slower (the eased mode's
// slowing is integrated exactly; loops keep what ran past their end).
void UpdateAnimations();

// ---- Presets, written at start-up in this order (after the board's loaders) ------------------

// Camera views 0 to 6 (node pool 0-6).
void SetupCameraViews();
// The light paths 83 and 84 and the light fades 0 to 5 (SetupLights, board/board_presets.h).
void WriteLightPresets();
// The piece glide (17) and the indicators' turns (220, 221), written by SetupPieceAnims
// (board/board_presets.h) before and after it sets every piece node on the glide.
void WritePieceGlidePreset();
void WriteIndicatorTurnPresets();
// The menu cubes' wave (90 to 217) and the water growing in (219).
void SetupMenuAnims();

// One instance for the process, made by buildGame (app/game_main.cpp) and never deleted.
extern AnimManager* g_anim; // animation pools and the per-frame animation step
