// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers shared by the chess engine tests: setting up positions, naming moves by their text,
// and capturing the whole engine state to compare before and after an operation.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "chess/fen.h"
#include "chess/make_move.h"
#include "chess/move_gen.h"
#include "chess/position.h"
#include "chess/search.h"

namespace chess_test {

inline constexpr const char* START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
inline constexpr const char* KIWIPETE =
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";

inline ::testing::AssertionResult set_fen(const char* fen) {
    if (set_position_fen(fen)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "FEN refused: " << fen;
}

// The moves generate_moves gives at the current ply, in generation order.
inline std::vector<ScoredMove> generated_moves() {
    std::vector<ScoredMove> out;
    if (!generate_moves()) return out;
    for (int i = ply_first_move[search_ply]; i < ply_first_move[search_ply + 1]; ++i)
        out.push_back(move_stack[i]);
    return out;
}

inline std::vector<std::string> move_texts(const std::vector<ScoredMove>& moves) {
    std::vector<std::string> out;
    for (const ScoredMove& m : moves)
        out.emplace_back(move_text(m.move));
    return out;
}

// The generated move whose text is `text` ("e2e4", "e7e8q"), or 0 when none is generated.
inline uint32_t find_move(const char* text) {
    for (const ScoredMove& m : generated_moves())
        if (std::strcmp(move_text(m.move), text) == 0) return move_value(m.move);
    return 0;
}

// Plays the moves given by text; fails the test at the first one not generated or illegal.
inline ::testing::AssertionResult play(std::initializer_list<const char*> texts) {
    for (const char* text : texts) {
        const uint32_t m = find_move(text);
        if (m == 0) return ::testing::AssertionFailure() << text << " not generated";
        if (!make_move(m)) return ::testing::AssertionFailure() << text << " refused";
    }
    return ::testing::AssertionSuccess();
}

// Everything make_move and take_back may touch, including the derived occupancy sets.
struct Snapshot {
    int color[64];
    int piece[64];
    int side, other, rights, ep, fifty, ply, hply;
    uint64_t occupied[2];
    uint64_t pieces[6];

    bool operator==(const Snapshot& o) const {
        return std::memcmp(color, o.color, sizeof color) == 0 &&
               std::memcmp(piece, o.piece, sizeof piece) == 0 && side == o.side &&
               other == o.other && rights == o.rights && ep == o.ep && fifty == o.fifty &&
               ply == o.ply && hply == o.hply &&
               std::memcmp(occupied, o.occupied, sizeof occupied) == 0 &&
               std::memcmp(pieces, o.pieces, sizeof pieces) == 0;
    }
};

inline Snapshot snapshot() {
    Snapshot s;
    std::memset(&s, 0, sizeof s);
    std::memcpy(s.color, square_color, sizeof s.color);
    std::memcpy(s.piece, square_piece, sizeof s.piece);
    s.side = side_to_move;
    s.other = opponent;
    s.rights = castle_rights;
    s.ep = ep_square;
    s.fifty = fifty_counter;
    s.ply = search_ply;
    s.hply = history_ply;
    for (int c = 0; c < 2; ++c)
        s.occupied[c] = occupied_by[c];
    for (int p = 0; p < 6; ++p)
        s.pieces[p] = pieces_of[p];
    return s;
}

inline void PrintTo(const Snapshot& s, std::ostream* os) {
    *os << "side " << s.side << " rights " << s.rights << " ep " << s.ep << " fifty " << s.fifty
        << " ply " << s.ply << "/" << s.hply;
}

// True when the derived occupancy sets agree with the square arrays.
inline bool occupancy_consistent() {
    for (int sq = 0; sq < 64; ++sq) {
        const uint64_t bit = uint64_t(1) << sq;
        for (int c = 0; c < 2; ++c)
            if (((occupied_by[c] & bit) != 0) != (square_color[sq] == c)) return false;
        for (int p = 0; p < 6; ++p)
            if (((pieces_of[p] & bit) != 0) != (square_piece[sq] == p)) return false;
    }
    return true;
}

// Positions met in seeded random games from a few varied starts, as FEN texts: material for
// tests that compare two ways of computing the same thing.
inline std::vector<std::string> sample_positions(int games, int plies, unsigned seed) {
    static const char* const starts[] = {
        START_FEN,
        KIWIPETE,
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
        "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    };
    std::mt19937 rng(seed);
    std::vector<std::string> out;
    for (int g = 0; g < games; ++g) {
        if (!set_position_fen(starts[g % (sizeof starts / sizeof starts[0])])) return out;
        for (int p = 0; p < plies; ++p) {
            out.push_back(position_fen());
            std::vector<uint32_t> legal;
            for (const ScoredMove& m : generated_moves()) {
                if (make_move(m.move)) {
                    take_back();
                    legal.push_back(move_value(m.move));
                }
            }
            if (legal.empty()) break;
            if (!make_move(legal[rng() % legal.size()])) break;
            search_ply = 0; // keep the ply tables at the root, as the game driver does
        }
    }
    return out;
}

} // namespace chess_test
