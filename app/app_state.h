#pragma once
// The application state: the window, the connection objects, the view and input flags, the
// pending-request state and the board selection. One instance, built by main() (g_app).

#include <cstdint>
#include <string>

class KScreen;
class KServer;
class KClient;
class KNodeGraph;
struct SquareRecord;

struct AppState {
    KServer* server = nullptr;    // non-null while this machine hosts a network game
    KClient* client = nullptr;    // non-null while connected as a client
    uint8_t inputSuspended = 0;   // intro plays / connection wait: keys and clicks ignored
    uint8_t boardLocked = 0;      // menu open or pause view: board clicks, drag, view keys ignored
    uint8_t awaitingOpponent = 0; // not the local human's turn: board clicks ignored
    uint8_t cameraView = 0;       // the pause view is on
    uint8_t menuOpen = 0;         // the option menu is shown
    uint8_t gameStarted = 0;      // a game was started; until then the menu cannot be closed
    uint8_t introRunning = 0;     // the intro plays; only Escape (skip) is honoured
    uint8_t requestPending = 0;   // a request was sent to the peer and waits for its answer
    int32_t pendingRequest = 0;   // 'R' 82, 'W' 87, 'B' 66
    int32_t questionCode = 0;     // question the local player confirms: 'R', 'W', 'B', 'L' 76
    std::string fileName;         // saved-game name chosen on the load screen
    KScreen* screen = nullptr;    // the window
    uint8_t dragging = 0;         // the window is dragged by its top strip
    int32_t width = 800;          // window size in pixels
    int32_t height = 600;
    uint8_t keysDown[256] = {}; // 1 while the virtual key is held
    int32_t lastMouseX = 0;     // drag anchor, or last mouse position seen by the camera
    int32_t lastMouseY = 0;
    KNodeGraph* selectedPiece = nullptr;  // node of the selected piece, or null
    SquareRecord* chosenTarget = nullptr; // square chosen as destination, or null
    int32_t netPendingValue = 0;          // kept by the network receive handlers between calls
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
