#pragma once
// The 3D board: 64 squares, 32 pieces, the markers, the camera, the lights and the graveyard,
// with the board's own record of which piece stands where, whose turn it is and which colour
// the local player plays. One instance (g_board), built at start-up and reset for every game.
//
// Squares: index = row * 8 + column, row 0 is Black's back rank, column 0 the a-file; square
// (row, column) stands at (column, 0, row) under the board group node.

#include <cstdint>

class KNodeGraph;
class KShell;
class KMesh;
struct PieceRecord;

// The board's piece kinds (not the engine's piece codes).
constexpr int KIND_PAWN = 2;
constexpr int KIND_QUEEN = 3;
constexpr int KIND_KING = 4;
constexpr int KIND_BISHOP = 5;
constexpr int KIND_KNIGHT = 6;
constexpr int KIND_ROOK = 7;

constexpr int SQUARE_TAG = 1; // node tag of a square; a piece node carries its kind

struct SquareRecord {
    KNodeGraph* node = nullptr; // the square's scene node
    float x = 0, y = 0, z = 0;  // position under the board group: (column, 0, row)
    int32_t row = 0;
    int32_t column = 0;
    PieceRecord* piece = nullptr; // piece standing here, or null
};

struct PieceRecord {
    KNodeGraph* node = nullptr;     // the piece's scene node
    SquareRecord* square = nullptr; // square it stands on, null once captured
    int32_t kind = 0;               // KIND_*: its identity, kept by a promoted pawn
    int32_t index = 0;              // which of the like pieces of its colour
    int32_t colour = 0;             // 0 White, 1 Black
    int32_t row = -1;               // copies of the square's row and column, -1 when captured
    int32_t column = -1;
    KNodeGraph* graveyard = nullptr; // group node under which a captured piece is parked
    uint8_t promoted = 0;            // a pawn that reached the last row: moves as a queen
    KMesh* ownMesh = nullptr;        // the model's own mesh, restored when a promotion ends
};

// The kind a piece moves as: a promoted pawn moves as a queen.
inline int movingKind(const PieceRecord* p) {
    return p->promoted ? KIND_QUEEN : p->kind;
}

struct BoardScene {
    SquareRecord squares[64];
    int32_t sideToMove = 0;  // colour to move
    int32_t humanColour = 0; // colour the local player plays
    // The 16 pawns as White 0, Black 0, White 1, ...; White queen, Black queen; White king,
    // Black king; then bishops, knights, rooks, each White 0, Black 0, White 1, Black 1.
    PieceRecord* pieces[32] = {};
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

    PieceRecord* pieceInMotion = nullptr; // piece whose glide plays; board clicks wait for it
    PieceRecord* castlingRook = nullptr;  // rook to glide after the king's glide, or null

    // The 64 squares and 32 pieces with kind, index and colour, reset with White for the
    // local player. Loads nothing.
    BoardScene();
    ~BoardScene();
    BoardScene(const BoardScene&) = delete;
    BoardScene& operator=(const BoardScene&) = delete;

    // Every piece on its start square (captured and promoted pieces come back as they were),
    // White to move, `awaitingOpponent` set when the local player is Black, markers parked.
    void reset(int32_t humanColour);

    // Stops a glide in progress (a new game or a restored board interrupts it) and lays every
    // piece node flat on its parent square at its own height.
    void settlePieces();

    // Start-up loaders, called once in this order after the scene and root exist. They look up
    // the model objects by name; a missing one is logged and left null.
    void loadDecorAndBoard();
    void loadPieces();

    // The piece of that colour, kind and index, or null for a kind outside 2 to 7 or an index
    // the kind does not have.
    PieceRecord* pieceOf(int colour, int kind, int index) const;
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
