#pragma once
// The long-lived objects of the game, built once by main() in a fixed order and reached
// through these process-wide pointers. None is deleted before the process ends.

class KScene;
class KShell;
struct AppState;
struct BoardScene;
struct GameRecord;
struct AnimManager;
struct Interface;
struct SoundPlayer;

extern KScene* g_scene;      // the one scene
extern KShell* g_root;       // group node under the scene root: decor, camera, board
extern AppState* g_app;      // window, connection objects, view and input flags
extern BoardScene* g_board;  // squares, pieces, camera, lights, markers
extern GameRecord* g_record; // the game as played, the link to the chess engine
extern AnimManager* g_anim;  // animation pools and the per-frame animation step
extern Interface* g_ui;      // option menu, cursor, question dialog, text overlay
extern SoundPlayer* g_sound; // music and sounds
