#pragma once
// The game as played on the 3D board and its link to the chess engine: the recorded moves, the
// identity of the piece on every square and the pieces taken. One instance (g_record), created
// at start-up; every call comes from the game thread.

#include <cstdint>
#include <string>

#include "game/game_array.h"

// One of the 32 pieces of the 3D board: kind * 32 + colour * 16 + index. Kinds are the board's
// (2 pawn, 3 queen, 4 king, 5 bishop, 6 knight, 7 rook); a promoted pawn keeps its pawn identity.
using PieceId = int32_t;

// A move in one 32-bit value, one field per 4-bit group: target column (bits 0-2), target row
// (4-6), origin column (8-10), origin row (12-14), kind (16-18), index (20-22), colour (bit 24).
// Rows and columns as the engine numbers squares: square = row * 8 + column, row 0 = rank 8.
using RecordedMove = int32_t;

constexpr PieceId NO_PIECE = -1;

inline PieceId make_piece_id(int colour, int kind, int index) {
    return kind * 32 + colour * 16 + index;
}
inline int id_kind(PieceId id) {
    return (id >> 5) & 7;
}
inline int id_colour(PieceId id) {
    return (id >> 4) & 1;
}
inline int id_index(PieceId id) {
    return id & 7;
}

inline RecordedMove make_recorded_move(int fr, int fc, int tr, int tc, int colour, int kind,
                                       int index) {
    return (tc & 7) | (tr & 7) << 4 | (fc & 7) << 8 | (fr & 7) << 12 | (kind & 7) << 16 |
           (index & 7) << 20 | (colour & 1) << 24;
}
inline int rm_to_column(RecordedMove m) {
    return m & 7;
}
inline int rm_to_row(RecordedMove m) {
    return (m >> 4) & 7;
}
inline int rm_from_column(RecordedMove m) {
    return (m >> 8) & 7;
}
inline int rm_from_row(RecordedMove m) {
    return (m >> 12) & 7;
}
inline int rm_kind(RecordedMove m) {
    return (m >> 16) & 7;
}
inline int rm_index(RecordedMove m) {
    return (m >> 20) & 7;
}
inline int rm_colour(RecordedMove m) {
    return (m >> 24) & 1;
}
inline PieceId rm_piece_id(RecordedMove m) {
    return make_piece_id(rm_colour(m), rm_kind(m), rm_index(m));
}

// True when every field of the value is in range: no bit outside the fields, kind 2 to 7, and
// an index the kind has (pawns 0-7, queen and king 0, the others 0-1).
bool recorded_move_in_range(RecordedMove m);

// The identifiers of the start position (64 squares, NO_PIECE where empty).
void start_square_ids(PieceId ids[64]);

// Which pawns have been promoted: bit colour * 8 + index.
using PromotedPawns = uint16_t;

// Plays one recorded move on square identifiers: a taken piece (also a pawn taken en passant) is
// appended to `captured` (when not null), a castling king's rook goes to its new square, a pawn
// reaching the last row is marked in `promoted`, the origin is emptied and the target given the
// mover's identifier. With `check` the value is tested first and false comes back, nothing
// changed, when it is out of range, its origin does not hold the piece it names, or its target
// holds a piece of the mover's colour.
bool apply_recorded_move(RecordedMove m, PieceId ids[64], PromotedPawns* promoted,
                         GrowArray<PieceId>* captured, bool check);

// Checks and replays `count` moves from the start position onto `ids` and `promoted` (no captured
// list). False at the first damaged value. Used on files and on games received from the peer.
bool check_recorded_moves(const RecordedMove* moves, int count, PieceId ids[64],
                          PromotedPawns* promoted);

// The root move (ply 0) with the same squares as `move` but promoting to a queen, when `move` is
// a promotion to another piece; otherwise `move` itself. The board shows promotions as queens
// and saved games cannot name the piece, so the computer promotes to a queen as the player does.
uint32_t queen_promotion_of(uint32_t move);

struct GameRecord {
    GrowArray<RecordedMove> moves;           // the moves of the game in order
    PieceId square_ids[64];                  // identifier on each square, NO_PIECE if empty
    GrowArray<PieceId> captured;             // pieces taken, in the order of capture
    GrowArray<std::string> saved_file_names; // names found by the last ListSavedGames
    PromotedPawns promoted = 0;              // pawns that became queens, bit colour * 8 + index

    // Empty arrays, then NewGame(true).
    GameRecord();
    GameRecord(const GameRecord&) = delete;
    GameRecord& operator=(const GameRecord&) = delete;

    // Engine back to the start position with its moves generated (depth 4, unlimited time);
    // empties the move list when `clearMoves`, always the captured list; start identifiers.
    void NewGame(bool clearMoves);

    // Called by the board whenever it starts moving a piece. On the local player's turn in a
    // game against the computer the engine plays the move first (HumanMove); if the engine
    // refuses it nothing is recorded and false comes back, so the board does not play it.
    [[nodiscard]] bool RecordMove(int fr, int fc, int tr, int tc, int colour, int kind, int index);

    // Plays a local move on the engine (a promotion becomes a queen). Shows "Illegal move" and
    // returns false when the engine does not accept it; the engine position is then unchanged.
    bool HumanMove(int fr, int fc, int tr, int tc);

    // The engine chooses, plays and shows its move on the board, then ends the turn.
    void ComputerMove();

    // Announces mate, stalemate or a draw in the info line; returns the text shown, or null.
    const char* ShowResult();

    // Replaces the record by `count` moves of 4 bytes each, least significant byte first. A
    // block with a damaged value is refused whole (false) and the record stays as it was.
    bool LoadMoves(const unsigned char* bytes, int count);

    // Drops the last recorded move and replays the rest on the identifiers.
    void UndoLastMove();

    // Rebuilds the engine position and the 3D board from the record.
    void RestoreBoard();

    // Saved games in "./Save/" (game/saved_games.cpp). LoadGame: false when the file cannot
    // be opened or is damaged (the record is then untouched). SaveGame: writes a new file and
    // renames it over the old one; false when anything fails. ListSavedGames: the number of
    // ".chs" files, names sorted into saved_file_names, listing written to the engine's log.
    bool LoadGame(const char* path);
    bool SaveGame(const char* path);
    int ListSavedGames();
};
