// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The chess engine's one position: square arrays, side to move, castling and en-passant
// state, the move record and the move stack that every ply of a search writes into, and the
// attack and check tests.
//
// Each thread has an engine of its own (ENGINE_STATE): the game's thread plays the game on its
// position while a search thread (chess/search_thread.h) thinks on a copy in its own, and
// nothing is shared but what they hand each other explicitly. Within one thread nothing is
// thread-aware: the engine's functions work on the calling thread's state.
//
// Squares are numbered 0 to 63 row by row from Black's side: 0 is a8, 7 is h8, 56 is a1,
// 63 is h1. White pawns move towards lower numbers.

#include <bit>
#include <cstdint>

// The storage of every variable of the engine's state: one copy per thread, set up (zeroed or
// its constant initial value) when the thread starts, so nothing runs before first use. The
// initial-exec model keeps an access one load from the thread pointer, as fast as a global in
// the search; it suits an engine linked into programs, not one loaded with dlopen.
#define ENGINE_STATE thread_local constinit __attribute__((tls_model("initial-exec")))

// Colour codes (square_color, side_to_move) and piece codes (square_piece).
constexpr int WHITE = 0;
constexpr int BLACK = 1;
constexpr int EMPTY = 6;

constexpr int PAWN = 0;
constexpr int KNIGHT = 1;
constexpr int BISHOP = 2;
constexpr int ROOK = 3;
constexpr int QUEEN = 4;
constexpr int KING = 5;

// Move flags (byte 3 of a move).
constexpr int MF_CAPTURE = 1;
constexpr int MF_CASTLE = 2;
constexpr int MF_EN_PASSANT = 4;
constexpr int MF_DOUBLE_PUSH = 8;
constexpr int MF_PAWN = 16;
constexpr int MF_PROMOTE = 32;

// Castling right bits of castle_rights.
constexpr int CASTLE_WHITE_KING = 1;
constexpr int CASTLE_WHITE_QUEEN = 2;
constexpr int CASTLE_BLACK_KING = 4;
constexpr int CASTLE_BLACK_QUEEN = 8;

constexpr int MOVE_STACK_SIZE = 1120; // generated moves of all plies of one line
constexpr int MAX_PLY = 32;           // plies of ply_first_move, pv_table and pv_length

// One move in four bytes. Wherever moves are compared or stored whole they are handled as
// one 32-bit value with `from` in the lowest byte (move_value / to_move); 0 means no move.
struct Move {
    int8_t from;     // origin square
    int8_t to;       // target square
    uint8_t promote; // piece code of the promotion piece (1 to 4), 0 otherwise
    uint8_t flags;   // MF_* bits
};
static_assert(sizeof(Move) == 4);
static_assert(std::endian::native == std::endian::little, "move values put `from` in byte 0");

inline uint32_t move_value(Move m) {
    return std::bit_cast<uint32_t>(m);
}
inline Move to_move(uint32_t value) {
    return std::bit_cast<Move>(value);
}

struct ScoredMove {
    Move move;
    int32_t score; // ordering: captures and promotions from 999995 up, quiet moves history
};

// --- Position state -----------------------------------------------------------------------
// Change the position only through init_position, set_position_fen (chess/fen.h),
// make_move and take_back. Code that writes the square arrays directly must call
// sync_position afterwards so that the engine's derived occupancy sets follow, and must not
// put a pawn on the first or last row (the generators step off the board from there).
extern ENGINE_STATE int square_color[64]; // WHITE, BLACK or EMPTY per square
extern ENGINE_STATE int square_piece[64]; // PAWN..KING or EMPTY per square
extern ENGINE_STATE int side_to_move;     // colour to move
extern ENGINE_STATE int opponent;         // always 1 - side_to_move
extern ENGINE_STATE int castle_rights;    // sum of CASTLE_* bits still allowed
extern ENGINE_STATE int ep_square;        // square a pawn just jumped over, or -1
extern ENGINE_STATE int fifty_counter;    // half-moves since the last capture or pawn move
extern ENGINE_STATE int search_ply;       // depth of the current line below the root
// Records in use on the undo stack (chess/make_move.h).
extern ENGINE_STATE int history_ply;
extern ENGINE_STATE ScoredMove move_stack[MOVE_STACK_SIZE];
extern ENGINE_STATE int ply_first_move[MAX_PLY]; // first move_stack index of each ply's moves
// Quiet-move ordering score [from][to], raised by search.
extern ENGINE_STATE int history_score[64][64];
// Full-move number where the undo stack starts (FEN only).
extern ENGINE_STATE int start_move_number;

// --- Derived state, kept in step by the engine ----------------------------------------------
// Occupancy by colour code and by piece code (bit s = square s); entry EMPTY collects the
// empty squares' bits and is never read.
extern ENGINE_STATE uint64_t occupied_by[7];
extern ENGINE_STATE uint64_t pieces_of[7];

// --- Constant tables --------------------------------------------------------------------------
extern const int mailbox120[120]; // 10 x 12 frame: square number, or -1 off the board
extern const int square_to_mailbox[64];
extern const int piece_offsets[6];   // number of directions by piece code
extern const bool piece_slides[6];   // whether the piece slides along its directions
extern const int piece_offset[6][8]; // directions in the 10 x 12 frame, in generation order
extern const int castle_keep_mask[64];
extern const int start_color[64];
extern const int start_piece[64];

inline int row_of(int square) {
    return square >> 3;
}
inline int column_of(int square) {
    return square & 7;
}

// Sets up the standard start position: White to move, all castling rights, empty undo stack,
// search_ply 0, ply 0 starting at move_stack index 0. Leaves history_score alone.
void init_position();

// Recomputes the derived occupancy sets from the square arrays.
void sync_position();

// 1 if a piece of colour `by` attacks `target`, else 0. Pieces on the target square itself
// do not count; a piece of either colour on a ray blocks it.
int is_attacked(int target, int by);

// 1 if the king of `color` (the one on the lowest square, should there be several) is
// attacked by the other colour. A colour without a king on the board counts as in check, so
// a line that loses the king is never taken as legal.
int side_in_check(int color);
