// SPDX-License-Identifier: GPL-3.0-or-later
#include "chess/opening_book.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "chess/engine_random.h"
#include "chess/make_move.h"
#include "chess/notation.h"
#include "chess/position.h"
#include "chess/position_backup.h"

// Each line stops where both sides have developed and the material is level, in a position
// any engine would take up from there.
const BookLine book_lines[] = {
    // Open games: Ruy Lopez (closed, Berlin, exchange), Italian, Two Knights, Scotch,
    // Petrov, Four Knights.
    {6, "e4 e5 Nf3 Nc6 Bb5 a6 Ba4 Nf6 O-O Be7 Re1 b5 Bb3 d6 c3 O-O h3"},
    {3, "e4 e5 Nf3 Nc6 Bb5 Nf6 O-O Nxe4 d4 Nd6 Bxc6 dxc6 dxe5 Nf5 Qxd8+ Kxd8"},
    {1, "e4 e5 Nf3 Nc6 Bb5 a6 Bxc6 dxc6 O-O f6 d4 exd4 Nxd4 c5 Nb3 Qxd1 Rxd1"},
    {4, "e4 e5 Nf3 Nc6 Bc4 Bc5 c3 Nf6 d3 d6 O-O O-O Re1 a6 Bb3 Ba7"},
    {2, "e4 e5 Nf3 Nc6 Bc4 Nf6 d3 Be7 O-O O-O Re1 d6 c3"},
    {2, "e4 e5 Nf3 Nc6 d4 exd4 Nxd4 Nf6 Nxc6 bxc6 e5 Qe7 Qe2 Nd5 c4"},
    {2, "e4 e5 Nf3 Nf6 Nxe5 d6 Nf3 Nxe4 d4 d5 Bd3 Nc6 O-O Be7"},
    {1, "e4 e5 Nf3 Nc6 Nc3 Nf6 Bb5 Bb4 O-O O-O d3 d6"},
    // Sicilian: Najdorf, Dragon, Richter-Rauzer, Taimanov, Sveshnikov, Alapin, Rossolimo.
    {5, "e4 c5 Nf3 d6 d4 cxd4 Nxd4 Nf6 Nc3 a6 Be3 e5 Nb3 Be6 f3 Be7"},
    {2, "e4 c5 Nf3 d6 d4 cxd4 Nxd4 Nf6 Nc3 g6 Be3 Bg7 f3 O-O Qd2 Nc6"},
    {2, "e4 c5 Nf3 d6 d4 cxd4 Nxd4 Nf6 Nc3 Nc6 Bg5 e6 Qd2 a6 O-O-O"},
    {2, "e4 c5 Nf3 e6 d4 cxd4 Nxd4 Nc6 Nc3 Qc7 Be2 a6 O-O Nf6 Be3"},
    {2, "e4 c5 Nf3 Nc6 d4 cxd4 Nxd4 Nf6 Nc3 e5 Ndb5 d6 Bg5 a6 Na3 b5"},
    {1, "e4 c5 c3 Nf6 e5 Nd5 d4 cxd4 Nf3 Nc6 cxd4 d6"},
    {1, "e4 c5 Nf3 Nc6 Bb5 g6 O-O Bg7 Re1 e5 Bxc6 dxc6 d3 Qe7"},
    // French: Winawer, classical, Tarrasch, advance.
    {2, "e4 e6 d4 d5 Nc3 Bb4 e5 c5 a3 Bxc3+ bxc3 Ne7 Nf3 Nbc6 a4 Qa5 Qd2 Bd7"},
    {2, "e4 e6 d4 d5 Nc3 Nf6 e5 Nfd7 f4 c5 Nf3 Nc6 Be3 cxd4 Nxd4 Bc5 Qd2 O-O"},
    {2, "e4 e6 d4 d5 Nd2 c5 exd5 exd5 Ngf3 Nc6 Bb5 Bd6 dxc5 Bxc5 O-O Ne7 Nb3 Bd6"},
    {1, "e4 e6 d4 d5 e5 c5 c3 Nc6 Nf3 Qb6 a3 c4 Nbd2 Na5"},
    // Caro-Kann: classical, advance.
    {3, "e4 c6 d4 d5 Nc3 dxe4 Nxe4 Bf5 Ng3 Bg6 h4 h6 Nf3 Nd7 h5 Bh7 Bd3 Bxd3 Qxd3"},
    {2, "e4 c6 d4 d5 e5 Bf5 Nf3 e6 Be2 c5 Be3 Nd7 O-O Ne7"},
    // Scandinavian, Pirc.
    {1, "e4 d5 exd5 Qxd5 Nc3 Qa5 d4 Nf6 Nf3 c6 Bc4 Bf5 Bd2 e6"},
    {1, "e4 d6 d4 Nf6 Nc3 g6 Be3 Bg7 Qd2 c6 f3 b5"},
    // Queen's Gambit: declined (orthodox, exchange), accepted, Slav, Semi-Slav.
    {4, "d4 d5 c4 e6 Nc3 Nf6 Bg5 Be7 e3 O-O Nf3 h6 Bh4 b6"},
    {2, "d4 d5 c4 e6 Nc3 Nf6 cxd5 exd5 Bg5 Be7 e3 c6 Bd3 O-O Qc2 Nbd7"},
    {2, "d4 d5 c4 dxc4 Nf3 Nf6 e3 e6 Bxc4 c5 O-O a6"},
    {3, "d4 d5 c4 c6 Nf3 Nf6 Nc3 dxc4 a4 Bf5 e3 e6 Bxc4 Bb4 O-O O-O"},
    {2, "d4 d5 c4 c6 Nf3 Nf6 Nc3 e6 e3 Nbd7 Bd3 dxc4 Bxc4 b5 Bd3 Bb7"},
    // Indian defences: Nimzo-Indian, Queen's Indian, Bogo-Indian, King's Indian, Grunfeld,
    // Benoni; the Catalan.
    {3, "d4 Nf6 c4 e6 Nc3 Bb4 Qc2 O-O a3 Bxc3+ Qxc3 b6 Bg5 Bb7"},
    {2, "d4 Nf6 c4 e6 Nc3 Bb4 e3 O-O Bd3 d5 Nf3 c5 O-O Nc6"},
    {2, "d4 Nf6 c4 e6 Nf3 b6 g3 Ba6 b3 Bb4+ Bd2 Be7 Bg2 c6 Bc3 d5"},
    {1, "d4 Nf6 c4 e6 Nf3 Bb4+ Bd2 Qe7 g3 Nc6 Bg2 Bxd2+ Nbxd2 d6 O-O"},
    {4, "d4 Nf6 c4 g6 Nc3 Bg7 e4 d6 Nf3 O-O Be2 e5 O-O Nc6 d5 Ne7"},
    {2, "d4 Nf6 c4 g6 Nc3 d5 cxd5 Nxd5 e4 Nxc3 bxc3 Bg7 Nf3 c5 Be2 O-O O-O"},
    {1, "d4 Nf6 c4 c5 d5 e6 Nc3 exd5 cxd5 d6 e4 g6 Nf3 Bg7 Be2 O-O O-O"},
    {2, "d4 Nf6 c4 e6 g3 d5 Bg2 Be7 Nf3 O-O O-O dxc4 Qc2 a6 Qxc4 b5 Qc2 Bb7"},
    // Dutch, London.
    {1, "d4 f5 g3 Nf6 Bg2 g6 Nf3 Bg7 O-O O-O c4 d6 Nc3 Qe8"},
    {2, "d4 d5 Bf4 Nf6 e3 c5 c3 Nc6 Nd2 e6 Ngf3 Bd6 Bg3 O-O Bd3"},
    // English: symmetrical, reversed Sicilian, and a move order into the Queen's Gambit.
    {2, "c4 c5 Nc3 Nc6 g3 g6 Bg2 Bg7 Nf3 Nf6 O-O O-O d4 cxd4 Nxd4"},
    {2, "c4 e5 Nc3 Nf6 Nf3 Nc6 g3 d5 cxd5 Nxd5 Bg2 Nb6 O-O Be7"},
    {1, "c4 Nf6 Nc3 e6 Nf3 d5 d4 Be7 Bg5 O-O e3 h6 Bh4 b6"},
    // Reti, King's Indian attack, and a move order into the King's Indian.
    {2, "Nf3 d5 g3 Nf6 Bg2 e6 O-O Be7 d3 O-O Nbd2 c5 e4 Nc6"},
    {1, "Nf3 Nf6 c4 g6 Nc3 Bg7 e4 d6 d4 O-O Be2 e5 O-O Nc6 d5 Ne7"},
};
const int book_line_count = int(sizeof book_lines / sizeof book_lines[0]);

namespace {

struct BookEntry {
    uint64_t key;  // position_key of the position the move is played from
    uint32_t move; // the book move
    int weight;    // summed over the lines that play it there
};

bool key_then_move(const BookEntry& a, const BookEntry& b) {
    return a.key != b.key ? a.key < b.key : a.move < b.move;
}

struct Book {
    std::vector<BookEntry> entries; // sorted by key, then move; one entry per (key, move)
    BookSummary summary{};
};

// The line's moves, played from the start position; the number played, equal to the number of
// moves of the line when all of them were legal and written as their exact SAN.
int play_line(const char* moves, std::vector<BookEntry>& out, int weight) {
    init_position();
    std::vector<BookEntry> line;
    int played = 0;
    for (const char* p = moves; *p != 0;) {
        const char* end = std::strchr(p, ' ');
        const size_t length = end ? size_t(end - p) : std::strlen(p);
        char text[SAN_SIZE] = {};
        if (length == 0 || length >= sizeof text) return played;
        std::memcpy(text, p, length);
        const uint32_t move = san_move(text);
        char exact[SAN_SIZE];
        if (move == 0 || !move_san(move, exact) || std::strcmp(exact, text) != 0) return played;
        line.push_back(BookEntry{position_key(), move, weight});
        if (!make_move(move)) return played;
        search_ply = 0; // the game driver's root: each move's replies at ply 0
        ++played;
        p = end ? end + 1 : p + length;
    }
    out.insert(out.end(), line.begin(), line.end());
    return played;
}

Book build_book() {
    Book book;
    const std::unique_ptr<PositionBackup> saved = std::make_unique<PositionBackup>();
    backup_position(*saved);
    std::vector<BookEntry> all;
    for (int i = 0; i < book_line_count; ++i) {
        const char* moves = book_lines[i].moves;
        const int played = play_line(moves, all, book_lines[i].weight);
        const int written = int(std::count(moves, moves + std::strlen(moves), ' ')) + 1;
        if (played == written) {
            ++book.summary.lines;
        } else if (book.summary.refused++ == 0) {
            book.summary.first_refused = moves;
            book.summary.refused_at = played;
        }
    }
    restore_position(*saved);
    // One entry per (position, move), the weights of every line through it added up.
    std::sort(all.begin(), all.end(), key_then_move);
    for (const BookEntry& e : all) {
        if (!book.entries.empty() && book.entries.back().key == e.key &&
            book.entries.back().move == e.move)
            book.entries.back().weight += e.weight;
        else
            book.entries.push_back(e);
    }
    for (size_t i = 0; i < book.entries.size(); ++i)
        if (i == 0 || book.entries[i].key != book.entries[i - 1].key) ++book.summary.positions;
    return book;
}

const Book& book() {
    static const Book built = build_book();
    return built;
}

// FNV-1a, 64 bits: enough to tell apart a few hundred positions with no collision in practice.
constexpr uint64_t FNV_OFFSET = 0xcbf29ce484222325ull;
constexpr uint64_t FNV_PRIME = 0x100000001b3ull;

inline uint64_t mix(uint64_t hash, int value) {
    return (hash ^ uint64_t(uint8_t(value))) * FNV_PRIME;
}

} // namespace

uint64_t position_key() {
    uint64_t hash = FNV_OFFSET;
    for (int sq = 0; sq < 64; ++sq)
        hash = mix(hash, square_color[sq] * 8 + square_piece[sq]);
    hash = mix(hash, side_to_move);
    hash = mix(hash, castle_rights);
    return mix(hash, en_passant_option(ep_square, side_to_move) + 1);
}

const BookSummary& opening_book_summary() {
    return book().summary;
}

int book_moves(BookMove out[BOOK_MOVES_MAX]) {
    const std::vector<BookEntry>& entries = book().entries;
    const BookEntry probe{position_key(), 0, 0};
    auto it = std::lower_bound(entries.begin(), entries.end(), probe, key_then_move);
    int count = 0;
    for (; it != entries.end() && it->key == probe.key && count < BOOK_MOVES_MAX; ++it)
        out[count++] = BookMove{it->move, it->weight};
    // Heaviest first; a stable insertion sort keeps equal weights in move order.
    for (int i = 1; i < count; ++i)
        for (int j = i; j > 0 && out[j].weight > out[j - 1].weight; --j)
            std::swap(out[j], out[j - 1]);
    return count;
}

uint32_t pick_book_move() {
    BookMove moves[BOOK_MOVES_MAX];
    const int count = book_moves(moves);
    int total = 0;
    for (int i = 0; i < count; ++i)
        total += moves[i].weight;
    if (total <= 0) return 0;
    int draw = engine_random_below(total);
    for (int i = 0; i < count; ++i) {
        if (draw < moves[i].weight) return moves[i].move;
        draw -= moves[i].weight;
    }
    return moves[count - 1].move;
}
