// SPDX-License-Identifier: GPL-3.0-or-later
#include "chess/notation.h"

#include <cstring>

#include "chess/make_move.h"
#include "chess/move_gen.h"

namespace {

const char PIECE_LETTER[6] = {'P', 'N', 'B', 'R', 'Q', 'K'};

// Piece code of an upper-case SAN piece letter, or -1.
int piece_of_letter(char c) {
    const char* p = std::strchr("PNBRQK", c);
    return (c != 0 && p != nullptr) ? int(p - "PNBRQK") : -1;
}

// Promotion piece code of a letter in either case (coordinate texts use lower case), or -1.
int promotion_of_letter(char c) {
    const char* p = std::strchr("nbrq", c | 0x20);
    return (c != 0 && p != nullptr) ? KNIGHT + int(p - "nbrq") : -1;
}

inline bool is_file(char c) {
    return c >= 'a' && c <= 'h';
}
inline bool is_rank(char c) {
    return c >= '1' && c <= '8';
}
inline int square_of(char file, char rank) {
    return ('8' - rank) * 8 + (file - 'a');
}

// 1 if side_to_move has a legal move. Uses the move stack from search_ply on.
bool has_legal_move() {
    if (!generate_moves()) return false;
    for (int i = ply_first_move[search_ply]; i < ply_first_move[search_ply + 1]; ++i) {
        if (make_move(move_stack[i].move)) {
            take_back();
            return true;
        }
    }
    return false;
}

inline bool same_move(Move a, Move b) {
    if (a.from != b.from || a.to != b.to) return false;
    const bool a_promotes = (a.flags & MF_PROMOTE) != 0;
    const bool b_promotes = (b.flags & MF_PROMOTE) != 0;
    return a_promotes == b_promotes && (!a_promotes || a.promote == b.promote);
}

// What a SAN text says about its move once the marks around it are stripped.
struct SanParts {
    int piece = PAWN;       // piece code of the mover
    int castle_column = -1; // 6 for O-O, 2 for O-O-O, -1 otherwise
    int from_file = -1;     // column the text names for the origin, or -1
    int from_rank = -1;     // row the text names for the origin, or -1
    int to = -1;            // target square
    int promote = -1;       // promotion piece code, or -1
};

// Splits a SAN text into its parts; false when it is not SAN at all.
bool parse_san(const char* text, SanParts& parts) {
    char s[16];
    while (*text == ' ' || *text == '\t')
        ++text;
    size_t n = std::strlen(text);
    // Trailing blanks, then check, mate and comment marks.
    while (n > 0 && std::strchr(" \t\r\n+#!?", text[n - 1]) != nullptr)
        --n;
    if (n == 0 || n >= sizeof s) return false;
    std::memcpy(s, text, n);
    s[n] = 0;

    if (std::strcmp(s, "O-O") == 0 || std::strcmp(s, "0-0") == 0) {
        parts.castle_column = 6;
        return true;
    }
    if (std::strcmp(s, "O-O-O") == 0 || std::strcmp(s, "0-0-0") == 0) {
        parts.castle_column = 2;
        return true;
    }

    // Promotion at the end: "=Q", "Q", "(Q)" after a rank digit.
    if (n >= 3 && s[n - 1] == ')' && s[n - 3] == '(') {
        s[n - 3] = s[n - 2];
        n -= 2;
        s[n] = 0;
    }
    if (n >= 2 && !is_rank(s[n - 1])) {
        parts.promote = promotion_of_letter(s[n - 1]);
        if (parts.promote < 0 || std::strchr("nbrqNBRQ", s[n - 1]) == nullptr) return false;
        --n;
        if (n > 0 && s[n - 1] == '=') --n;
        s[n] = 0;
    }

    // Target square: the last two characters.
    if (n < 2 || !is_file(s[n - 2]) || !is_rank(s[n - 1])) return false;
    parts.to = square_of(s[n - 2], s[n - 1]);
    n -= 2;

    // Piece letter, then the origin hints, with an optional capture or dash between them and
    // the target.
    size_t i = 0;
    const int piece = piece_of_letter(s[0]);
    if (n > 0 && piece >= 0) {
        parts.piece = piece;
        i = 1;
    }
    if (n > i && (s[n - 1] == 'x' || s[n - 1] == ':' || s[n - 1] == '-')) --n;
    if (i < n && is_file(s[i])) parts.from_file = s[i++] - 'a';
    if (i < n && is_rank(s[i])) parts.from_rank = '8' - s[i++];
    return i == n;
}

} // namespace

int legal_moves(Move out[MAX_LEGAL_MOVES]) {
    if (!generate_moves()) return 0;
    int count = 0;
    for (int i = ply_first_move[search_ply]; i < ply_first_move[search_ply + 1]; ++i) {
        const Move m = move_stack[i].move;
        if (count < MAX_LEGAL_MOVES && make_move(m)) {
            take_back();
            out[count++] = m;
        }
    }
    return count;
}

int move_san(uint32_t value, char out[SAN_SIZE]) {
    out[0] = 0;
    Move legal[MAX_LEGAL_MOVES];
    const int count = legal_moves(legal);
    const Move wanted = to_move(value);
    int found = -1;
    for (int i = 0; i < count && found < 0; ++i)
        if (same_move(legal[i], wanted)) found = i;
    if (found < 0) return 0;
    const Move m = legal[found];
    const int piece = square_piece[m.from];

    // 1. The move itself.
    int n = 0;
    if (m.flags & MF_CASTLE) {
        const char* text = column_of(m.to) == 6 ? "O-O" : "O-O-O";
        n = int(std::strlen(text));
        std::memcpy(out, text, size_t(n));
    } else {
        if (piece == PAWN) {
            if (m.flags & MF_CAPTURE) out[n++] = char('a' + column_of(m.from));
        } else {
            out[n++] = PIECE_LETTER[piece];
            // Another piece of the same kind reaching the same square needs the origin's file,
            // else its rank, else both.
            bool rival = false, same_file = false, same_rank = false;
            for (int i = 0; i < count; ++i) {
                const Move o = legal[i];
                if (i == found || o.to != m.to || square_piece[o.from] != piece) continue;
                rival = true;
                same_file = same_file || column_of(o.from) == column_of(m.from);
                same_rank = same_rank || row_of(o.from) == row_of(m.from);
            }
            if (rival && (!same_file || same_rank)) out[n++] = char('a' + column_of(m.from));
            if (rival && same_file) out[n++] = char('8' - row_of(m.from));
        }
        if (m.flags & MF_CAPTURE) out[n++] = 'x';
        out[n++] = char('a' + column_of(m.to));
        out[n++] = char('8' - row_of(m.to));
        if (m.flags & MF_PROMOTE) {
            out[n++] = '=';
            out[n++] = PIECE_LETTER[m.promote];
        }
    }

    // 2. Check and mate, seen from the position after the move.
    if (make_move(m)) {
        if (side_in_check(side_to_move)) out[n++] = has_legal_move() ? '+' : '#';
        take_back();
    }
    out[n] = 0;
    return 1;
}

uint32_t san_move(const char* text) {
    uint32_t move = 0;
    return san_move_count(text, &move) == 1 ? move : 0;
}

int san_move_count(const char* text, uint32_t* move) {
    if (move != nullptr) *move = 0;
    uint32_t all[MAX_LEGAL_MOVES];
    const int n = san_candidates(text, all, MAX_LEGAL_MOVES);
    if (n <= 0) return 0;
    if (move != nullptr) *move = all[(n < MAX_LEGAL_MOVES ? n : MAX_LEGAL_MOVES) - 1];
    return n;
}

int san_candidates(const char* text, uint32_t* out, int room) {
    SanParts parts;
    if (text == nullptr || !parse_san(text, parts)) return -1;
    Move legal[MAX_LEGAL_MOVES];
    const int count = legal_moves(legal);
    int matches = 0;
    for (int i = 0; i < count; ++i) {
        const Move m = legal[i];
        if (parts.castle_column >= 0) {
            if (!(m.flags & MF_CASTLE) || column_of(m.to) != parts.castle_column) continue;
        } else {
            if (m.to != parts.to || square_piece[m.from] != parts.piece) continue;
            if (parts.from_file >= 0 && column_of(m.from) != parts.from_file) continue;
            if (parts.from_rank >= 0 && row_of(m.from) != parts.from_rank) continue;
            // (A castling king matches here too: "Kg1" for O-O, as some programs write it.)
            const int promote = (m.flags & MF_PROMOTE) ? m.promote : -1;
            if (promote != parts.promote) continue;
        }
        if (matches < room) out[matches] = move_value(m);
        ++matches;
    }
    return matches;
}

uint32_t text_move(const char* text) {
    if (text == nullptr) return 0;
    const size_t n = std::strlen(text);
    if ((n != 4 && n != 5) || !is_file(text[0]) || !is_rank(text[1]) || !is_file(text[2]) ||
        !is_rank(text[3]))
        return 0;
    const int promote = n == 5 ? promotion_of_letter(text[4]) : -1;
    if (n == 5 && promote < 0) return 0;
    Move wanted{int8_t(square_of(text[0], text[1])), int8_t(square_of(text[2], text[3])),
                uint8_t(promote < 0 ? 0 : promote), uint8_t(promote < 0 ? 0 : MF_PROMOTE)};
    Move legal[MAX_LEGAL_MOVES];
    const int count = legal_moves(legal);
    for (int i = 0; i < count; ++i)
        if (same_move(legal[i], wanted)) return move_value(legal[i]);
    return 0;
}
