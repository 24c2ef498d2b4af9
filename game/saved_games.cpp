// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/saved_games.h"

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "game/file_io.h"
#include "game/pgn.h"

SavedGameRead read_saved_game(const char* path, std::vector<RecordedMove>& moves) {
    moves.clear();
    std::string text;
    switch (read_small_file(path, SAVED_GAME_MAX_BYTES, text)) {
    case FileRead::Ok:
        return parse_saved_game(text.data(), text.size(), moves);
    case FileRead::CannotOpen:
        return SavedGameRead::CannotOpen;
    default: // too large to be a game, or unreadable
        return SavedGameRead::Damaged;
    }
}

SavedGameRead parse_saved_game(const char* text, size_t size, std::vector<RecordedMove>& moves) {
    moves.clear();
    if (!text && size) return SavedGameRead::Damaged;
    // 1. Whitespace-separated decimal numbers; anything else makes the file damaged.
    size_t i = 0;
    while (i < size) {
        if (std::isspace(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        size_t start = i;
        while (i < size && !std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
        std::string token(text + start, i - start);
        char* end = nullptr;
        errno = 0;
        long value = std::strtol(token.c_str(), &end, 10);
        if (errno || end == token.c_str() || *end || value < INT32_MIN || value > INT32_MAX)
            return SavedGameRead::Damaged;
        moves.push_back(static_cast<RecordedMove>(value));
    }
    // 2. The moves as the record replays them: fields in range, the piece named on its origin.
    PieceId ids[64];
    PromotedPawns promoted = 0;
    if (!check_recorded_moves(moves.data(), int(moves.size()), ids, &promoted))
        return SavedGameRead::Damaged;
    // 3. The moves as the engine plays them: a file the engine cannot follow would leave the
    // engine out of step with the board for the rest of the game. The replay puts the engine's
    // position back as it found it.
    ReplayedGame game;
    replay_recorded_game(moves.data(), int(moves.size()), game);
    if (game.refused_at >= 0) return SavedGameRead::Damaged;
    return SavedGameRead::Ok;
}

bool stage_saved_game(const char* path, const RecordedMove* moves, int count, StagedFile& staged) {
    if (!path || count < 0) return false;
    std::string text;
    char line[16];
    for (int i = 0; i < count; ++i) {
        const int n = std::snprintf(line, sizeof line, "%d\n", moves[i]);
        if (n <= 0) return false;
        text.append(line, size_t(n));
    }
    return stage_file(path, text, staged);
}

bool write_saved_game(const char* path, const RecordedMove* moves, int count) {
    StagedFile staged;
    return stage_saved_game(path, moves, count, staged) && commit_staged_file(staged, true);
}
