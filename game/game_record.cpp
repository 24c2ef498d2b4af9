#include "game/game_record.h"

#include "app/app_state.h"
#include "app/globals.h"
#include "board/board_moves.h"
#include "board/board_scene.h"
#include "board/player_info.h"
#include "chess/game_end.h"
#include "chess/make_move.h"
#include "chess/move_gen.h"
#include "chess/position.h"
#include "chess/search.h"
#include "engine/node.h"

namespace {

// Start identifiers: back ranks in the order rook, knight, bishop, queen, king, bishop, knight,
// rook; pawns by file.
const int BACK_KIND[8] = {7, 6, 5, 3, 4, 5, 6, 7};
const int BACK_INDEX[8] = {0, 0, 0, 0, 0, 1, 1, 1};

bool localGame() {
    return !g_app || (!g_app->server && !g_app->client);
}

// The engine at the start position with the root moves generated, at the game's search limits.
void resetEngine() {
    init_position();
    (void)generate_moves();
    max_time_ms = 33554432;
    max_depth = 4;
}

// Plays the move from (fr, fc) to (tr, tc) on the engine (a promotion becomes a queen) and
// generates the moves of the new position. False, the engine unchanged, when it has no such
// legal move.
bool playOnEngine(int fr, int fc, int tr, int tc) {
    int from = fr * 8 + fc, to = tr * 8 + tc;
    for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i) {
        Move mv = move_stack[i].move;
        if (mv.from != from || mv.to != to) continue;
        // The board always promotes to a queen: skip the other pieces of the group.
        if ((mv.flags & MF_PROMOTE) && mv.promote != QUEEN) continue;
        if (!make_move(mv)) return false;
        search_ply = 0;
        (void)generate_moves();
        return true;
    }
    return false;
}

int lastRow(int colour) {
    return colour == 0 ? 0 : 7;
}

} // namespace

bool recorded_move_in_range(RecordedMove m) {
    if (m & ~0x01777777) return false; // a bit outside the fields, or a negative value
    int kind = rm_kind(m), index = rm_index(m);
    switch (kind) {
    case 2:
        return true; // indexes 0-7
    case 3:
    case 4:
        return index == 0;
    case 5:
    case 6:
    case 7:
        return index <= 1;
    default:
        return false;
    }
}

void start_square_ids(PieceId ids[64]) {
    for (int s = 0; s < 64; ++s)
        ids[s] = NO_PIECE;
    for (int c = 0; c < 8; ++c) {
        ids[c] = make_piece_id(1, BACK_KIND[c], BACK_INDEX[c]);
        ids[8 + c] = make_piece_id(1, 2, c);
        ids[48 + c] = make_piece_id(0, 2, c);
        ids[56 + c] = make_piece_id(0, BACK_KIND[c], BACK_INDEX[c]);
    }
}

bool apply_recorded_move(RecordedMove m, PieceId ids[64], PromotedPawns* promoted,
                         GrowArray<PieceId>* captured, bool check) {
    int fr = rm_from_row(m), fc = rm_from_column(m), tr = rm_to_row(m), tc = rm_to_column(m);
    int from = fr * 8 + fc, to = tr * 8 + tc, colour = rm_colour(m), kind = rm_kind(m);
    PieceId id = rm_piece_id(m);
    if (check) {
        if (!recorded_move_in_range(m) || from == to || ids[from] != id) return false;
        if (ids[to] != NO_PIECE && id_colour(ids[to]) == colour) return false;
    }
    uint16_t pawnBit = uint16_t(1u << (colour * 8 + rm_index(m)));
    bool realPawn = kind == 2 && !(promoted && (*promoted & pawnBit));
    if (ids[to] != NO_PIECE) {
        if (captured) captured->push(ids[to]);
    } else if (realPawn && fc != tc) {
        // A pawn's diagonal step onto an empty square is en passant: the pawn beside it goes.
        int beside = fr * 8 + tc;
        if (ids[beside] != NO_PIECE && id_kind(ids[beside]) == 2 &&
            id_colour(ids[beside]) != colour) {
            if (captured) captured->push(ids[beside]);
            ids[beside] = NO_PIECE;
        }
    }
    if (kind == 4 && fc == 4 && fr == tr && (tc == 2 || tc == 6)) {
        // Castling: only the king's move is recorded; its rook goes along.
        int corner = fr * 8 + (tc == 2 ? 0 : 7), rookTo = fr * 8 + (tc == 2 ? 3 : 5);
        if (ids[corner] == make_piece_id(colour, 7, tc == 2 ? 0 : 1) && ids[rookTo] == NO_PIECE) {
            ids[rookTo] = ids[corner];
            ids[corner] = NO_PIECE;
        }
    }
    ids[from] = NO_PIECE;
    ids[to] = id;
    if (realPawn && tr == lastRow(colour) && promoted) *promoted |= pawnBit;
    return true;
}

bool check_recorded_moves(const RecordedMove* moves, int count, PieceId ids[64],
                          PromotedPawns* promoted) {
    start_square_ids(ids);
    *promoted = 0;
    for (int i = 0; i < count; ++i)
        if (!apply_recorded_move(moves[i], ids, promoted, nullptr, true)) return false;
    return true;
}

GameRecord::GameRecord() {
    NewGame(true);
}

void GameRecord::NewGame(bool clearMoves) {
    resetEngine();
    if (clearMoves) moves.clear();
    captured.clear();
    promoted = 0;
    start_square_ids(square_ids);
}

bool GameRecord::RecordMove(int fr, int fc, int tr, int tc, int colour, int kind, int index) {
    if (g_board && g_board->sideToMove == g_board->humanColour && localGame() &&
        !HumanMove(fr, fc, tr, tc))
        return false;
    // In a network game the board's rules decide; the engine follows, so that it knows the
    // position should the game turn into one against the computer.
    if (!localGame()) (void)playOnEngine(fr, fc, tr, tc);
    RecordedMove m = make_recorded_move(fr, fc, tr, tc, colour, kind, index);
    moves.push(m);
    apply_recorded_move(m, square_ids, &promoted, &captured, false);
    return true;
}

bool GameRecord::HumanMove(int fr, int fc, int tr, int tc) {
    if (!playOnEngine(fr, fc, tr, tc)) {
        tellPlayer("Illegal move");
        return false;
    }
    ShowResult();
    return true;
}

const char* GameRecord::ShowResult() {
    // By GameEnd: the result and its reason as the info line shows them.
    static const char* const TEXTS[] = {nullptr,
                                        "1-0 {White mates}",
                                        "0-1 {Black mates}",
                                        "1/2-1/2 {Stalemate}",
                                        "1/2-1/2 {Draw by repetition}",
                                        "1/2-1/2 {Draw by fifty move rule}"};
    const char* text = TEXTS[game_end()];
    tellPlayer(text);
    return text;
}

bool GameRecord::LoadMoves(const unsigned char* bytes, int count) {
    if (count < 0 || (count > 0 && !bytes)) return false;
    PieceId ids[64];
    PromotedPawns prom = 0;
    start_square_ids(ids);
    auto valueAt = [bytes](int i) {
        const unsigned char* b = bytes + 4 * i;
        return RecordedMove(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                            uint32_t(b[3]) << 24);
    };
    for (int i = 0; i < count; ++i)
        if (!apply_recorded_move(valueAt(i), ids, &prom, nullptr, true)) {
            tellPlayer("Damaged game received : not loaded");
            return false;
        }
    NewGame(true);
    for (int i = 0; i < count; ++i) {
        moves.push(valueAt(i));
        apply_recorded_move(moves[i], square_ids, &promoted, &captured, false);
    }
    return true;
}

void GameRecord::UndoLastMove() {
    if (moves.count == 0) return;
    NewGame(false);
    moves.pop();
    for (const RecordedMove& m : moves)
        apply_recorded_move(m, square_ids, &promoted, &captured, false);
}

void GameRecord::RestoreBoard() {
    // The engine is replayed from the start whatever state it was left in (a refused load
    // leaves it in the current game).
    resetEngine();
    for (const RecordedMove& m : moves) {
        const int fr = rm_from_row(m), fc = rm_from_column(m), tr = rm_to_row(m),
                  tc = rm_to_column(m);
        if (localGame())
            HumanMove(fr, fc, tr, tc);
        else
            (void)playOnEngine(fr, fc, tr, tc); // quietly: the peer's game is not judged here
    }
    BoardScene* b = g_board;
    if (!b) return;
    b->settlePieces();
    for (PieceRecord* p : b->pieces)
        if (p->kind == KIND_PAWN) b->setPromoted(p, (promoted >> (p->colour * 8 + p->index)) & 1);
    for (PieceId id : captured)
        if (PieceRecord* p = b->pieceOf(id_colour(id), id_kind(id), id_index(id)))
            sendToGraveyard(p);
    for (int s = 0; s < 64; ++s) {
        SquareRecord& sq = b->squares[s];
        PieceId id = square_ids[s];
        PieceRecord* p =
            id == NO_PIECE ? nullptr : b->pieceOf(id_colour(id), id_kind(id), id_index(id));
        sq.piece = p;
        if (!p) continue;
        p->square = &sq;
        p->row = sq.row;
        p->column = sq.column;
        if (p->node && sq.node) p->node->InsertAsChildOf(sq.node);
    }
    int side = moves.count ? 1 - rm_colour(moves[moves.count - 1]) : 0;
    CameraToGameView(false, true, side);
    b->showSelectMarker(nullptr);
    b->showTargetMarker(nullptr);
    if (g_app) {
        g_app->selectedPiece = nullptr;
        g_app->chosenTarget = nullptr;
    }
    if (b->sideToMove != side) endTurn();
}
