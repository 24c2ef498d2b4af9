#pragma once
// The application state: the window, the keys, the connection objects and the network's pending
// state (the game's flags, selection and requests are the game model's, game/game_model.h).
// One instance, built by main() (g_app).

#include <cstdint>
#include <string>

class KScreen;
class KServer;
class KClient;

struct AppState {
    KServer* server = nullptr; // non-null while this machine hosts a network game
    KClient* client = nullptr; // non-null while connected as a client
    KScreen* screen = nullptr; // the window
    uint8_t dragging = 0;      // the window is dragged by its top strip
    int32_t width = 800;       // window size in pixels
    int32_t height = 600;
    uint8_t keysDown[256] = {}; // 1 while the virtual key is held
    int32_t lastMouseX = 0;     // drag anchor, or last mouse position seen by the camera
    int32_t lastMouseY = 0;
    int32_t netPendingValue = 0; // kept by the network receive handlers between calls
    uint8_t netPendingFlag = 0;
    uint8_t connectIdle = 1;       // 0 while a client waits for the server's answer
    float connectWaitSeconds = 0;  // seconds waited so far for that answer
    uint32_t connectWaitStamp = 0; // stamp advanced by GetTimePassed for that wait
    int32_t netPort = 4000;        // TCP port for hosting and joining (--port moves it)

    // Creates the window (hidden, at screen position 200,200, system cursor hidden) and
    // registers the screen callbacks (each ends the frame loop's rest first).
    AppState(int32_t w, int32_t h);
};

// One instance for the process, made by buildGame (app/game_main.cpp) and never deleted.
extern AppState* g_app; // window, connection objects, view and input flags
