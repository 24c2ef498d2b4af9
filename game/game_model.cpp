// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/game_model.h"

GameModel* g_game = nullptr;

namespace {

// Start square of each entry of `pieces` is computed from kind, index and colour: the back rank
// order is rook, knight, bishop, queen, king, bishop, knight, rook.
int startSquare(const PieceRecord& p) {
    int backRow = p.colour == 0 ? 56 : 0;
    switch (p.kind) {
    case KIND_PAWN:
        return (p.colour == 0 ? 48 : 8) + p.index;
    case KIND_QUEEN:
        return backRow + 3;
    case KIND_KING:
        return backRow + 4;
    case KIND_BISHOP:
        return backRow + (p.index == 0 ? 2 : 5);
    case KIND_KNIGHT:
        return backRow + (p.index == 0 ? 1 : 6);
    default:
        return backRow + (p.index == 0 ? 0 : 7);
    }
}

} // namespace

bool localGame() {
    return !g_game || !g_game->networkGame();
}

GameModel::GameModel() {
    // Pawns interleaved by colour, then queen, king, and the pairs of minor pieces and rooks.
    int n = 0;
    for (int i = 0; i < 8; ++i)
        for (int c = 0; c < 2; ++c)
            pieces[n++] = new PieceRecord{.kind = KIND_PAWN, .index = i, .colour = c};
    for (int kind : {KIND_QUEEN, KIND_KING})
        for (int c = 0; c < 2; ++c)
            pieces[n++] = new PieceRecord{.kind = kind, .index = 0, .colour = c};
    for (int kind : {KIND_BISHOP, KIND_KNIGHT, KIND_ROOK})
        for (int i = 0; i < 2; ++i)
            for (int c = 0; c < 2; ++c)
                pieces[n++] = new PieceRecord{.kind = kind, .index = i, .colour = c};
    resetBoard(0);
}

GameModel::~GameModel() {
    for (PieceRecord*& p : pieces) {
        delete p;
        p = nullptr;
    }
}

void GameModel::resetBoard(int32_t colour) {
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            SquareRecord& s = squares[r * 8 + c];
            s.x = float(c);
            s.y = 0;
            s.z = float(r);
            s.row = r;
            s.column = c;
        }
    for (int i = 16; i < 48; ++i)
        squares[i].piece = nullptr;
    for (PieceRecord* p : pieces) {
        SquareRecord& s = squares[startSquare(*p)];
        s.piece = p;
        p->square = &s;
        p->row = s.row;
        p->column = s.column;
    }
    sideToMove = 0;
    humanColour = colour;
    awaitingOpponent = colour == 1;
}

PieceRecord* GameModel::pieceOf(int colour, int kind, int index) const {
    if (colour < 0 || colour > 1 || index < 0) return nullptr;
    switch (kind) {
    case KIND_PAWN:
        return index < 8 ? pieces[2 * index + colour] : nullptr;
    case KIND_QUEEN:
        return index == 0 ? pieces[16 + colour] : nullptr;
    case KIND_KING:
        return index == 0 ? pieces[18 + colour] : nullptr;
    case KIND_BISHOP:
    case KIND_KNIGHT:
    case KIND_ROOK:
        return index < 2 ? pieces[20 + 4 * (kind - KIND_BISHOP) + 2 * index + colour] : nullptr;
    default:
        return nullptr;
    }
}
