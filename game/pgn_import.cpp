// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/pgn_import.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "chess/make_move.h"
#include "chess/notation.h"
#include "chess/position.h"
#include "chess/position_backup.h"
#include "game/file_io.h"
#include "game/pgn.h"

namespace {

// Room the engine keeps for a search after the game's moves (as the UCI session does).
constexpr int PGN_MAX_PLIES = UNDO_STACK_SIZE - 2 * MAX_PLY;
static_assert(PGN_GAME_MOVES_MAX == size_t(PGN_MAX_PLIES), "the reader keeps what the board takes");

constexpr size_t PGN_BLOCK_BYTES = 64 * 1024; // read from a PGN file at a time

// The first PGN_FILE_MAX_BYTES of a PGN file, handed to the reader a block at a time.
struct PgnFileText {
    int fd = -1;
    size_t left = PGN_FILE_MAX_BYTES;
    std::function<bool()> stop; // asked before each block; true ends the text
    std::unique_ptr<char[]> block{new char[PGN_BLOCK_BYTES]};

    ~PgnFileText() {
        if (fd >= 0) close(fd);
    }
    // False when the file cannot be read (or is no regular file: a pipe under a .pgn name must
    // not stop the game).
    bool open(const char* path) {
        fd = open_regular_file(path);
        return fd >= 0;
    }
    static size_t fill(void* source, const char** out) {
        auto* f = static_cast<PgnFileText*>(source);
        if (f->left == 0 || (f->stop && f->stop())) return 0;
        for (;;) {
            const ssize_t n = read(f->fd, f->block.get(), std::min(PGN_BLOCK_BYTES, f->left));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return 0; // the end, or a read error: the text ends there
            f->left -= size_t(n);
            *out = f->block.get();
            return size_t(n);
        }
    }
};

// A FEN tag names the start position when its placement, side, castling and en-passant
// fields are the standard ones (the move counters do not change the game).
bool isStartFen(const std::string& fen) {
    const std::string start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
    return fen.compare(0, start.size(), start) == 0 &&
           (fen.size() == start.size() || fen[start.size()] == ' ');
}

// "12.e4" for White's move, "12...e5" for Black's: the move as the player finds it in the file,
// written short, for the info line holds about 33 characters.
std::string moveName(size_t ply, const std::string& token) {
    // A token longer than any move is not one: its start is enough to find it.
    const std::string shown = token.size() > 10 ? token.substr(0, 9) + "~" : token;
    return std::to_string(ply / 2 + 1) + (ply % 2 ? "..." : ".") + shown;
}

// The PGN game's moves from the start position on the engine, recorded as the board records
// them. The caller keeps the engine's game safe.
std::string playGame(const PgnGame& game, std::vector<RecordedMove>& moves) {
    init_position();
    PieceId ids[64];
    PromotedPawns promoted = 0;
    start_square_ids(ids);
    for (size_t ply = 0; ply < game.moves.size(); ++ply) {
        const std::string& token = game.moves[ply];
        uint32_t value = 0;
        const int matches = san_move_count(token.c_str(), &value);
        if (matches > 1) return "Ambiguous " + moveName(ply, token) + " : not loaded";
        if (matches == 0 || !make_move(value))
            return "Illegal " + moveName(ply, token) + " : not loaded";
        search_ply = 0;
        const Move m = to_move(value);
        if ((m.flags & MF_PROMOTE) && m.promote != QUEEN)
            return "Promotion " + moveName(ply, token) + " : not loaded";
        const PieceId id = ids[m.from];
        const RecordedMove r =
            make_recorded_move(row_of(m.from), column_of(m.from), row_of(m.to), column_of(m.to),
                               id_colour(id), id_kind(id), id_index(id));
        apply_recorded_move(r, ids, &promoted, nullptr, false);
        moves.push_back(r);
    }
    return "";
}

} // namespace

std::string pgn_game_moves(const PgnGame& game, std::vector<RecordedMove>& moves) {
    moves.clear();
    const std::string* setUp = game.tag("SetUp");
    const std::string* fen = game.tag("FEN");
    if ((fen && !isStartFen(*fen)) || (!fen && setUp && *setUp == "1"))
        return "Set-up position : not loaded";
    // A game with tags not kept might have lost the one that says where it starts.
    if (game.tags_dropped > 0) return "Too many PGN tags : not loaded";
    if (game.moves.size() + game.moves_dropped > size_t(PGN_MAX_PLIES))
        return "PGN game too long : not loaded";
    auto backup = std::make_unique<PositionBackup>();
    backup_position(*backup);
    std::string why = playGame(game, moves);
    restore_position(*backup);
    if (!why.empty()) moves.clear();
    return why;
}

std::string pgn_game_date(const PgnGame& game) {
    const std::string* date = game.tag("Date");
    if (!date || date->size() != 10) return UNKNOWN_PGN_DATE;
    for (size_t i = 0; i < 10; ++i) {
        const char c = (*date)[i];
        const bool dot = i == 4 || i == 7;
        if (dot ? c != '.' : !((c >= '0' && c <= '9') || c == '?')) return UNKNOWN_PGN_DATE;
    }
    return *date;
}

bool parse_pgn_ref(const std::string& ref, std::string& path, int& game) {
    auto endsInPgn = [](const std::string& p) {
        if (p.size() < 4) return false;
        std::string end = p.substr(p.size() - 4);
        for (char& c : end)
            c = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
        return end == ".pgn";
    };
    const size_t hash = ref.rfind('#');
    if (hash != std::string::npos && hash + 1 < ref.size() && endsInPgn(ref.substr(0, hash)) &&
        ref.find_first_not_of("0123456789", hash + 1) == std::string::npos &&
        ref.size() - hash - 1 <= 9) {
        path = ref.substr(0, hash);
        game = std::atoi(ref.c_str() + hash + 1);
        return game >= 1;
    }
    if (!endsInPgn(ref)) return false;
    path = ref;
    game = 1;
    return true;
}

std::string pgn_game_ref(const std::string& path, int game) {
    return path + "#" + std::to_string(game);
}

std::string load_pgn_game(const char* path, int game, PgnLoaded& loaded) {
    loaded = PgnLoaded();
    PgnFileText file;
    if (!file.open(path)) return "Cannot open PGN file : not loaded";
    // The games before the one asked for are read past, those after it not at all.
    PgnReader reader(PgnFileText::fill, &file);
    PgnGame chosen;
    int found = 0;
    while (found < game && reader.next(found + 1 == game ? &chosen : nullptr))
        ++found;
    if (game < 1 || found < game) {
        return found == 0 && !reader.next(nullptr)
                   ? "No game in PGN file : not loaded"
                   : "No PGN game " + std::to_string(game) + " : not loaded";
    }
    std::string why = pgn_game_moves(chosen, loaded.moves);
    if (why.empty()) loaded.date = pgn_game_date(chosen);
    return why;
}

bool read_pgn_game(const char* path, int game, PgnGame& chosen, const std::function<bool()>& stop) {
    PgnFileText file;
    if (game < 1 || !file.open(path)) return false;
    file.stop = stop;
    PgnReader reader(PgnFileText::fill, &file);
    int found = 0;
    while (found < game && reader.next(found + 1 == game ? &chosen : nullptr))
        ++found;
    return found == game && !(stop && stop());
}

int count_pgn_games(const char* path, int max, size_t* bytes_read,
                    const std::function<bool()>& stop) {
    if (bytes_read) *bytes_read = 0;
    PgnFileText file;
    if (max <= 0 || !file.open(path)) return 0;
    file.stop = stop;
    PgnReader reader(PgnFileText::fill, &file);
    int count = 0;
    while (count < max && reader.next(nullptr))
        ++count;
    if (bytes_read) *bytes_read = reader.bytes_read();
    return count;
}

std::string start_day_beside(const char* chs_path, const std::vector<RecordedMove>& moves) {
    if (!chs_path || moves.empty()) return UNKNOWN_PGN_DATE;
    PgnFileText file;
    if (!file.open(pgn_path_beside(chs_path).c_str())) return UNKNOWN_PGN_DATE;
    PgnReader reader(PgnFileText::fill, &file);
    PgnGame first;
    if (!reader.next(&first)) return UNKNOWN_PGN_DATE;
    std::vector<RecordedMove> copied;
    if (!pgn_game_moves(first, copied).empty() || copied.empty() || copied.size() > moves.size())
        return UNKNOWN_PGN_DATE;
    for (size_t i = 0; i < copied.size(); ++i)
        if (copied[i] != moves[i]) return UNKNOWN_PGN_DATE;
    return pgn_game_date(first);
}
