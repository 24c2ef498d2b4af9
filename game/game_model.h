#pragma once
// The game without its picture: the board's records (which piece stands where, whose turn it
// is, the local player's colour, the piece gliding), the flags that decide who may act (the intro,
// the menu, the pause view, a suspended or locked input, the opponent's turn), the player's
// selection on the board, and the request sent to the peer and the question waiting for the local
// player's answer, and whether this is a network game. One instance (g_game), made by buildGame
// right after the application state, before the board. Everything runs on the frame loop's thread.

#include <cstdint>
#include <string>

#include "game/board_records.h"
#include "game/game_record.h"

// What the model asks of, or tells, the floors above it: plain function pointers the top floor
// (app/wiring.cpp) installs at start-up. A hook runs at once, where the model calls it. Each may
// be null (a world without them): the model then answers as a game against the computer.
struct GameHooks {
    bool (*networkGame)() = nullptr; // a KServer or a KClient exists (netplay/)
};

struct GameModel {
    // ---- The board's records -------------------------------------------------------------------
    SquareRecord squares[64];
    int32_t sideToMove = 0;  // colour to move
    int32_t humanColour = 0; // colour the local player plays
    // The 16 pawns as White 0, Black 0, White 1, ...; White queen, Black queen; White king,
    // Black king; then bishops, knights, rooks, each White 0, Black 0, White 1, Black 1.
    PieceRecord* pieces[32] = {};
    PieceRecord* pieceInMotion = nullptr; // piece whose glide plays; board clicks wait for it
    PieceRecord* castlingRook = nullptr;  // rook to glide after the king's glide, or null
    // ---- The game as played, the link to the chess engine --------------------------------------
    GameRecord record; // made after the opponent is chosen: its new game reads the level
    // ---- Who may act -------------------------------------------------------------------------
    uint8_t inputSuspended = 0;   // intro plays / connection wait: keys and clicks ignored
    uint8_t boardLocked = 0;      // menu open or pause view: board clicks, drag, view keys ignored
    uint8_t awaitingOpponent = 0; // not the local human's turn: board clicks ignored
    uint8_t cameraView = 0;       // the pause view is on
    uint8_t menuOpen = 0;         // the option menu is shown
    uint8_t gameStarted = 0;      // a game was started; until then the menu cannot be closed
    uint8_t introRunning = 0;     // the intro plays; only Escape (skip) is honoured
    // ---- The selection -----------------------------------------------------------------------
    PieceRecord* selectedPiece = nullptr; // the selected piece, or null
    SquareRecord* chosenTarget = nullptr; // square chosen as destination, or null
    // ---- Requests and the question -------------------------------------------------------------
    uint8_t requestPending = 0; // a request was sent to the peer and waits for its answer
    int32_t pendingRequest = 0; // 'R' 82, 'W' 87, 'B' 66
    int32_t questionCode = 0;   // question the local player confirms: 'R', 'W', 'B', 'L' 76
    uint8_t questionShown = 0;  // the request window is up
    std::string fileName;       // saved-game name chosen on the load screen
    GameHooks hooks;

    // The 64 squares and 32 pieces with kind, index and colour, reset with White for the local
    // player.
    GameModel();
    ~GameModel(); // deletes the pieces
    GameModel(const GameModel&) = delete;
    GameModel& operator=(const GameModel&) = delete;

    // The records of every piece on its start square (a promoted pawn stays flagged: the board
    // turns it back with its mesh first), White to move, `awaitingOpponent` set when the local
    // player is Black.
    void resetBoard(int32_t colour);
    // The piece of that colour, kind and index, or null for a kind outside 2 to 7 or an index
    // the kind does not have.
    PieceRecord* pieceOf(int colour, int kind, int index) const;

    // This machine hosts or joins a network game (asked of the network session).
    bool networkGame() const { return hooks.networkGame && hooks.networkGame(); }
};

// One instance for the process, made by buildGame (app/game_main.cpp) and never deleted.
extern GameModel* g_game;

// A game against the computer: neither hosting nor joining (also without a model at all).
bool localGame();
