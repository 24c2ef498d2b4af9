// SPDX-License-Identifier: GPL-3.0-or-later
#include "chess/fen.h"

#include <cstdlib>
#include <cstring>

#include "chess/make_move.h"
#include "chess/position.h"

namespace {

const char PIECE_LETTERS[] = "pnbrqk";

int piece_from_letter(char c, int* color) {
    const char* p = std::strchr(PIECE_LETTERS, c | 0x20);
    if (c == 0 || p == nullptr) return -1;
    *color = (c >= 'a') ? BLACK : WHITE;
    return int(p - PIECE_LETTERS);
}

// Reads one blank-separated field into `out` (at most size - 1 characters).
bool next_field(const char*& s, char* out, size_t size) {
    while (*s == ' ' || *s == '\t')
        ++s;
    size_t n = 0;
    while (*s != 0 && *s != ' ' && *s != '\t') {
        if (n + 1 >= size) return false;
        out[n++] = *s++;
    }
    out[n] = 0;
    return n > 0;
}

bool parse_count(const char* text, int* value) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != 0 || v < 0 || v > 100000) return false;
    *value = int(v);
    return true;
}

} // namespace

int set_position_fen(const char* fen) {
    if (fen == nullptr) return 0;
    char placement[96], side[4], castling[8], ep[4], halfmove[12] = "0", fullmove[12] = "1";
    const char* s = fen;
    if (!next_field(s, placement, sizeof placement) || !next_field(s, side, sizeof side) ||
        !next_field(s, castling, sizeof castling) || !next_field(s, ep, sizeof ep))
        return 0;
    char field[12];
    if (next_field(s, field, sizeof field)) {
        std::memcpy(halfmove, field, sizeof field);
        if (next_field(s, field, sizeof field)) std::memcpy(fullmove, field, sizeof field);
    }
    while (*s == ' ' || *s == '\t')
        ++s;
    if (*s != 0) return 0;

    // Placement: ranks 8 to 1, files a to h.
    int color[64], piece[64], kings[2] = {0, 0};
    int sq = 0;
    int row_end = 8;
    for (const char* p = placement; *p != 0; ++p) {
        if (*p == '/') {
            if (sq != row_end || row_end == 64) return 0;
            row_end += 8;
        } else if (*p >= '1' && *p <= '8') {
            for (int n = *p - '0'; n > 0; --n, ++sq) {
                if (sq >= row_end) return 0;
                color[sq] = piece[sq] = EMPTY;
            }
        } else {
            int c;
            const int kind = piece_from_letter(*p, &c);
            if (kind < 0 || sq >= row_end) return 0;
            if (kind == PAWN && (row_of(sq) == 0 || row_of(sq) == 7)) return 0;
            if (kind == KING) ++kings[c];
            color[sq] = c;
            piece[sq] = kind;
            ++sq;
        }
    }
    if (sq != 64 || row_end != 64 || kings[WHITE] != 1 || kings[BLACK] != 1) return 0;

    int to_move;
    if (std::strcmp(side, "w") == 0)
        to_move = WHITE;
    else if (std::strcmp(side, "b") == 0)
        to_move = BLACK;
    else
        return 0;

    // Castling: a right only counts with king and rook at home.
    int rights = 0;
    if (std::strcmp(castling, "-") != 0) {
        for (const char* p = castling; *p != 0; ++p) {
            const char* at = std::strchr("KQkq", *p);
            if (at == nullptr) return 0;
            rights |= 1 << (at - "KQkq");
        }
    }
    struct Home {
        int bit, king, rook, color;
    };
    const Home homes[4] = {{CASTLE_WHITE_KING, 60, 63, WHITE},
                           {CASTLE_WHITE_QUEEN, 60, 56, WHITE},
                           {CASTLE_BLACK_KING, 4, 7, BLACK},
                           {CASTLE_BLACK_QUEEN, 4, 0, BLACK}};
    for (const Home& h : homes) {
        if (piece[h.king] != KING || color[h.king] != h.color || piece[h.rook] != ROOK ||
            color[h.rook] != h.color)
            rights &= ~h.bit;
    }

    // En passant: the target must lie behind a pawn of the side that just moved, with the
    // square it came from empty.
    int ep_target = -1;
    if (std::strcmp(ep, "-") != 0) {
        if (std::strlen(ep) != 2 || ep[0] < 'a' || ep[0] > 'h' || ep[1] < '1' || ep[1] > '8')
            return 0;
        const int target = ('8' - ep[1]) * 8 + (ep[0] - 'a');
        const int jumper = to_move == WHITE ? target + 8 : target - 8;
        const int origin = to_move == WHITE ? target - 8 : target + 8;
        const int row = to_move == WHITE ? 2 : 5;
        if (row_of(target) == row && piece[jumper] == PAWN && color[jumper] == (to_move ^ 1) &&
            color[target] == EMPTY && color[origin] == EMPTY)
            ep_target = target;
    }

    int fifty, full;
    if (!parse_count(halfmove, &fifty) || !parse_count(fullmove, &full)) return 0;

    // The side that just moved may not have left its king attacked: check before committing.
    int saved_color[64], saved_piece[64];
    std::memcpy(saved_color, square_color, sizeof saved_color);
    std::memcpy(saved_piece, square_piece, sizeof saved_piece);
    std::memcpy(square_color, color, sizeof square_color);
    std::memcpy(square_piece, piece, sizeof square_piece);
    sync_position();
    if (side_in_check(to_move ^ 1)) {
        std::memcpy(square_color, saved_color, sizeof square_color);
        std::memcpy(square_piece, saved_piece, sizeof square_piece);
        sync_position();
        return 0;
    }

    side_to_move = to_move;
    opponent = to_move ^ 1;
    castle_rights = rights;
    ep_square = ep_target;
    fifty_counter = fifty;
    search_ply = 0;
    history_ply = 0;
    ply_first_move[0] = 0;
    start_move_number = full > 0 ? full : 1;
    return 1;
}

std::string position_fen() {
    std::string out;
    for (int row = 0; row < 8; ++row) {
        int gap = 0;
        for (int column = 0; column < 8; ++column) {
            const int sq = row * 8 + column;
            if (square_color[sq] == EMPTY) {
                ++gap;
                continue;
            }
            if (gap > 0) out += char('0' + gap);
            gap = 0;
            const char letter = PIECE_LETTERS[square_piece[sq]];
            out += square_color[sq] == WHITE ? char(letter - 0x20) : letter;
        }
        if (gap > 0) out += char('0' + gap);
        if (row < 7) out += '/';
    }
    out += side_to_move == WHITE ? " w " : " b ";
    if (castle_rights == 0) {
        out += '-';
    } else {
        for (int bit = 0; bit < 4; ++bit)
            if (castle_rights & (1 << bit)) out += "KQkq"[bit];
    }
    out += ' ';
    if (ep_square < 0) {
        out += '-';
    } else {
        out += char('a' + column_of(ep_square));
        out += char('8' - row_of(ep_square));
    }
    // The full-move number grows after each Black move since the undo stack started.
    const int first_side = side_to_move ^ (history_ply & 1);
    const int half_moves = history_ply + (first_side == BLACK ? 1 : 0);
    out += ' ' + std::to_string(fifty_counter) + ' ' +
           std::to_string(start_move_number + half_moves / 2);
    return out;
}
