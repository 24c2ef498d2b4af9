// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The 3D board: the nodes of the 64 squares and 32 pieces (the records of which piece stands
// where, whose turn it is and which colour the local player plays are the game model's,
// game/game_model.h), the markers, the camera, the lights and the graveyard. One instance
// (g_board), built at start-up after the game model and reset for every game.
//
// Square (row, column) stands at (column, 0, row) under the board group node.

#include <cstdint>

#include "game/board_records.h"

class KNodeGraph;
class KShell;
class KMesh;

constexpr int SQUARE_TAG = 1; // node tag of a square; a piece node carries its kind

struct BoardScene {
    KNodeGraph* selectMarkerWhite = nullptr; // "caseSelectB"
    KNodeGraph* selectMarkerBlack = nullptr; // "caseSelectN"
    KNodeGraph* targetMarkerWhite = nullptr; // "caseDestB"
    KNodeGraph* targetMarkerBlack = nullptr; // "caseDestN"
    KNodeGraph* camera = nullptr;            // "camera", the camera every frame is seen with
    KShell* boardPivot = nullptr;            // board group and frame; hidden with the menu
    KShell* lightPivot1 = nullptr;           // circles the board
    KShell* lightPivot2 = nullptr;
    KNodeGraph* light1 = nullptr;    // "light"
    KNodeGraph* light2 = nullptr;    // "light2"
    KNodeGraph* dome = nullptr;      // "dome" of the decor, turned every frame
    KShell* boardGroup = nullptr;    // parent of the 64 square nodes
    KShell* graveyardNode = nullptr; // under the camera, far out of the picture

    // Loads nothing: the nodes come with the loaders.
    BoardScene() = default;
    BoardScene(const BoardScene&) = delete;
    BoardScene& operator=(const BoardScene&) = delete;

    // Every piece on its start square (captured and promoted pieces come back as they were),
    // White to move, `awaitingOpponent` set when the local player is Black, markers parked:
    // the records (GameModel::resetBoard), then the nodes under them.
    void reset(int32_t humanColour);

    // Stops a glide in progress (a new game or a restored board interrupts it: the model's
    // pieceInMotion and castlingRook are cleared) and lays every piece node flat on its parent
    // square at its own height.
    void settlePieces();

    // Start-up loaders, called once in this order after the scene and root exist. They look up
    // the model objects by name; a missing one is logged and left null.
    void loadDecorAndBoard();
    void loadPieces();

    // The square or piece whose node is `node`; null for any other node and for null.
    SquareRecord* squareOfNode(const KNodeGraph* node);
    PieceRecord* pieceOfNode(const KNodeGraph* node) const;

    // Shows the select (target) marker of the side to move on `square`, parking the other;
    // null parks both.
    void showSelectMarker(SquareRecord* square);
    void showTargetMarker(SquareRecord* square);

    // Hides or shows the whole board (the menu hides it while the camera shows the menu).
    void setBoardVisible(bool show);

    // A pawn on the last row becomes a queen on the board (queen model, queen moves) while
    // keeping its pawn identity; `promoted` false turns it back into a pawn.
    void setPromoted(PieceRecord* piece, bool promoted);
};

// One instance for the process, made by buildGame (app/game_main.cpp) and never deleted.
class KScene;
extern KScene* g_scene;     // the one scene
extern KShell* g_root;      // group node under the scene root: decor, camera, board
extern BoardScene* g_board; // squares, pieces, camera, lights, markers
