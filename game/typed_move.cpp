// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/typed_move.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "chess/notation.h"
#include "chess/position.h"

namespace {

constexpr int TEXT_LIMIT = 16;

bool isFile(char c) {
    return c >= 'a' && c <= 'h';
}

// The candidates of `text`, trying the forgiving readings in turn while it names nothing.
int candidates(const char* text, uint32_t out[2]) {
    char s[TEXT_LIMIT + 4];
    std::snprintf(s, sizeof s, "%s", text);
    int n = san_candidates(s, out, 2);
    // "o-o" for "O-O"; a lower-case piece letter that is no file ("nf3", "qxd8").
    if (n <= 0 && s[0] != 0 && std::strchr("onrqk", s[0])) {
        for (char* c = s; *c; ++c)
            if (*c == 'o') *c = 'O';
        s[0] = char(s[0] & ~0x20);
        n = san_candidates(s, out, 2);
    }
    // "b" may be the b-file or a bishop: the file first, as SAN has it, then the bishop.
    if (n <= 0 && s[0] == 'b') {
        s[0] = 'B';
        const int bishop = san_candidates(s, out, 2);
        if (bishop > 0) n = bishop;
        s[0] = 'b';
    }
    // A pawn onto the last row without its piece becomes a queen, as on the board.
    const size_t len = std::strlen(s);
    if (n == 0 && len >= 2 && (s[len - 1] == '8' || s[len - 1] == '1') && isFile(s[len - 2])) {
        std::snprintf(s + len, sizeof s - len, "=Q");
        const int queen = san_candidates(s, out, 2);
        if (queen > 0) n = queen;
    }
    return n;
}

} // namespace

TypedMove read_typed_move(const char* text) {
    TypedMove typed;
    while (text && (*text == ' ' || *text == '\t'))
        ++text;
    if (!text || !*text) return typed;
    char shown[TEXT_LIMIT + 1];
    std::snprintf(shown, sizeof shown, "%s", text);
    if (std::strlen(text) > TEXT_LIMIT) {
        typed.result = TypedMoveResult::NotAMove;
        std::snprintf(typed.why, sizeof typed.why, "Not a move : %s", shown);
        return typed;
    }
    uint32_t found[2] = {};
    const int n = candidates(shown, found);
    if (n < 0) {
        typed.result = TypedMoveResult::NotAMove;
        std::snprintf(typed.why, sizeof typed.why, "Not a move : %s", shown);
    } else if (n == 0) {
        typed.result = TypedMoveResult::Illegal;
        std::snprintf(typed.why, sizeof typed.why, "Illegal move : %s", shown);
    } else if (n > 1) {
        typed.result = TypedMoveResult::Ambiguous;
        char a[SAN_SIZE], b[SAN_SIZE]; // in alphabetical order: "Nbd2 or Nfd2"
        move_san(found[0], a);
        move_san(found[1], b);
        if (std::strcmp(a, b) > 0) std::swap(a, b);
        std::snprintf(typed.why, sizeof typed.why,
                      n == 2 ? "Ambiguous : %s or %s" : "Ambiguous : %s, %s..", a, b);
    } else if ((to_move(found[0]).flags & MF_PROMOTE) && to_move(found[0]).promote != QUEEN) {
        typed.result = TypedMoveResult::Underpromotion;
        std::snprintf(typed.why, sizeof typed.why, "Promotion to a queen only");
    } else {
        typed.result = TypedMoveResult::Move;
        typed.move = found[0];
    }
    return typed;
}
