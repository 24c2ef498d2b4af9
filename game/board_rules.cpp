// SPDX-License-Identifier: GPL-3.0-or-later
// The board's own move rules, checked on its records (squares and pieces), independent of the
// chess engine: network games rely on them alone.

#include <cstdlib>

#include "game/game_model.h"
#include "game/game_record.h"

namespace {

SquareRecord* squareAt(int row, int column) {
    if (row < 0 || row > 7 || column < 0 || column > 7) return nullptr;
    return &g_game->squares[row * 8 + column];
}

PieceRecord* pieceAt(int row, int column) {
    SquareRecord* s = squareAt(row, column);
    return s ? s->piece : nullptr;
}

bool holds(int row, int column, int colour, int kind) {
    PieceRecord* p = pieceAt(row, column);
    return p && p->colour == colour && movingKind(p) == kind;
}

// Every square strictly between origin and target (on one line) is empty.
bool pathClear(const SquareRecord* from, const SquareRecord* to) {
    int dr = to->row - from->row, dc = to->column - from->column;
    int sr = (dr > 0) - (dr < 0), sc = (dc > 0) - (dc < 0);
    for (int r = from->row + sr, c = from->column + sc; r != to->row || c != to->column;
         r += sr, c += sc)
        if (pieceAt(r, c)) return false;
    return true;
}

// Whether the record holds a move of that piece: castling needs king and rook unmoved. Only the
// moves the board shows count (a replay may show an earlier position).
bool hasMoved(int colour, int kind, int index) {
    if (!g_game) return false;
    const int shown = g_game->record.ShownCount();
    for (int i = 0; i < shown; ++i) {
        const RecordedMove m = g_game->record.moves[i];
        if (rm_colour(m) == colour && rm_kind(m) == kind && rm_index(m) == index) return true;
    }
    return false;
}

// The pawn that may be taken en passant by a pawn of `colour` landing on column `column`: the
// last recorded move the board shows must be that pawn's double step from its start row.
PieceRecord* enPassantVictim(int colour, int column) {
    if (!g_game || g_game->record.ShownCount() == 0) return nullptr;
    RecordedMove last = g_game->record.moves[g_game->record.ShownCount() - 1];
    int other = 1 - colour;
    int startRow = other == 1 ? 1 : 6, landRow = other == 1 ? 3 : 4;
    if (rm_colour(last) != other || rm_kind(last) != KIND_PAWN || rm_index(last) != column ||
        rm_from_row(last) != startRow || rm_to_row(last) != landRow || rm_to_column(last) != column)
        return nullptr;
    PieceRecord* victim = g_game->pieceOf(other, KIND_PAWN, column);
    if (!victim || victim->promoted || victim->square != squareAt(landRow, column)) return nullptr;
    return victim;
}

// Castling rules of a king stepping two columns; the rook to move with it, or null when refused.
PieceRecord* castlingRookFor(PieceRecord* king, int dc) {
    int homeRow = king->colour == 0 ? 7 : 0, other = 1 - king->colour;
    if (king->row != homeRow || king->column != 4) return nullptr;
    int rookIndex = dc < 0 ? 0 : 1;
    PieceRecord* rook = g_game->pieceOf(king->colour, KIND_ROOK, rookIndex);
    // The rook must still stand on its corner: an unmoved rook may have been taken there.
    if (!rook || rook->square != squareAt(homeRow, dc < 0 ? 0 : 7)) return nullptr;
    if (hasMoved(king->colour, KIND_KING, 0) || hasMoved(king->colour, KIND_ROOK, rookIndex))
        return nullptr;
    int first = dc < 0 ? 1 : 5, last = dc < 0 ? 3 : 6;
    for (int c = first; c <= last; ++c)
        if (pieceAt(homeRow, c)) return nullptr;
    int step = dc < 0 ? -1 : 1;
    for (int c = 4, i = 0; i < 3; ++i, c += step)
        if (g_game->isAttacked(squareAt(homeRow, c), other)) return nullptr;
    return rook;
}

// The move tried on the records: would the mover's king be attacked afterwards?
bool leavesKingAttacked(PieceRecord* piece, SquareRecord* target, PieceRecord* taken) {
    SquareRecord* from = piece->square;
    SquareRecord* takenSquare = taken ? taken->square : nullptr;
    if (takenSquare) takenSquare->piece = nullptr;
    if (taken) taken->square = nullptr;
    from->piece = nullptr;
    target->piece = piece;
    piece->square = target;
    piece->row = target->row;
    piece->column = target->column;

    PieceRecord* king = g_game->pieceOf(piece->colour, KIND_KING, 0);
    bool attacked = king && king->square && g_game->isAttacked(king->square, 1 - piece->colour);

    target->piece = nullptr;
    from->piece = piece;
    piece->square = from;
    piece->row = from->row;
    piece->column = from->column;
    if (taken) taken->square = takenSquare;
    if (takenSquare) takenSquare->piece = taken;
    return attacked;
}

} // namespace

bool GameModel::isAttacked(const SquareRecord* square, int by) {
    if (!square) return false;
    int r = square->row, c = square->column;
    // Pawns: a Black pawn attacks downwards (from row - 1), a White pawn upwards (from row + 1).
    int pawnRow = by == 1 ? r - 1 : r + 1;
    if (holds(pawnRow, c - 1, by, KIND_PAWN) || holds(pawnRow, c + 1, by, KIND_PAWN)) return true;
    static const int KNIGHT[8][2] = {{-2, -1}, {-2, 1}, {-1, -2}, {-1, 2},
                                     {1, -2},  {1, 2},  {2, -1},  {2, 1}};
    for (const auto& d : KNIGHT)
        if (holds(r + d[0], c + d[1], by, KIND_KNIGHT)) return true;
    static const int DIRS[8][2] = {{-1, 0},  {1, 0},  {0, -1}, {0, 1},
                                   {-1, -1}, {-1, 1}, {1, -1}, {1, 1}};
    for (int i = 0; i < 8; ++i) {
        int dr = DIRS[i][0], dc = DIRS[i][1];
        bool straight = i < 4;
        if (holds(r + dr, c + dc, by, KIND_KING)) return true;
        for (int rr = r + dr, cc = c + dc; squareAt(rr, cc); rr += dr, cc += dc) {
            PieceRecord* p = pieceAt(rr, cc);
            if (!p) continue;
            int k = movingKind(p);
            if (p->colour == by && (k == KIND_QUEEN || k == (straight ? KIND_ROOK : KIND_BISHOP)))
                return true;
            break; // a piece of either colour ends the line
        }
    }
    return false;
}

bool GameModel::tryMove(PieceRecord* piece, SquareRecord* target, bool execute) {
    // 1. Plain refusals.
    if (!piece || !piece->square || !target || target == piece->square) return false;
    if (target->piece && target->piece->colour == piece->colour) return false;
    int dr = target->row - piece->row, dc = target->column - piece->column;
    int adr = std::abs(dr), adc = std::abs(dc);
    PieceRecord* rook = nullptr;   // castling rook
    PieceRecord* victim = nullptr; // pawn taken en passant

    // 2. How the piece moves.
    bool allowed = false;
    switch (movingKind(piece)) {
    case KIND_PAWN: {
        int dir = piece->colour == 0 ? -1 : 1;
        int startRow = piece->colour == 0 ? 6 : 1, epRow = piece->colour == 0 ? 3 : 4;
        if (dc == 0 && dr == dir)
            allowed = !target->piece;
        else if (dc == 0 && dr == 2 * dir && piece->row == startRow)
            allowed = !target->piece && !pieceAt(piece->row + dir, piece->column);
        else if (adc == 1 && dr == dir && target->piece)
            allowed = true;
        else if (adc == 1 && dr == dir && piece->row == epRow) {
            victim = enPassantVictim(piece->colour, target->column);
            allowed = victim != nullptr;
        }
        break;
    }
    case KIND_QUEEN:
        allowed = (adr == adc || dr == 0 || dc == 0) && pathClear(piece->square, target);
        break;
    case KIND_BISHOP:
        allowed = adr == adc && pathClear(piece->square, target);
        break;
    case KIND_ROOK:
        allowed = (dr == 0 || dc == 0) && pathClear(piece->square, target);
        break;
    case KIND_KNIGHT:
        allowed = (adr == 2 && adc == 1) || (adr == 1 && adc == 2);
        break;
    case KIND_KING:
        if (adr <= 1 && adc <= 1)
            allowed = true;
        else if (dr == 0 && adc == 2)
            allowed = (rook = castlingRookFor(piece, dc)) != nullptr;
        break;
    }
    if (!allowed) return false;

    // 3. The mover's king may not be left attacked (castling checked its squares itself).
    if (!rook && leavesKingAttacked(piece, target, victim ? victim : target->piece)) return false;

    // 4. Execution.
    if (execute) {
        if (!startMove(piece, target, rook)) return false;
        if (victim) sendToGraveyard(victim);
    }
    return true;
}

bool GameModel::hasLegalMove(int colour) {
    for (PieceRecord* p : pieces) {
        if (p->colour != colour || !p->square) continue;
        for (SquareRecord& s : squares)
            if (tryMove(p, &s, false)) return true;
    }
    return false;
}
