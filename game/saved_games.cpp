#include "game/saved_games.h"

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "board/player_info.h"
#include "engine/KivEngine.h"
#include "platform/win32.h"

SavedGameRead read_saved_game(const char* path, std::vector<RecordedMove>& moves) {
    moves.clear();
    FILE* f = path ? std::fopen(path, "rb") : nullptr;
    if (!f) return SavedGameRead::CannotOpen;
    std::string text;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        text.append(chunk, n);
    bool readError = std::ferror(f) != 0;
    std::fclose(f);
    if (readError) return SavedGameRead::Damaged;

    // Whitespace-separated decimal numbers; anything else makes the file damaged.
    size_t i = 0;
    while (i < text.size()) {
        if (std::isspace(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        size_t start = i;
        while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
        std::string token = text.substr(start, i - start);
        char* end = nullptr;
        errno = 0;
        long value = std::strtol(token.c_str(), &end, 10);
        if (errno || end == token.c_str() || *end || value < INT32_MIN || value > INT32_MAX)
            return SavedGameRead::Damaged;
        moves.push_back(static_cast<RecordedMove>(value));
    }
    PieceId ids[64];
    PromotedPawns promoted = 0;
    if (!check_recorded_moves(moves.data(), int(moves.size()), ids, &promoted))
        return SavedGameRead::Damaged;
    return SavedGameRead::Ok;
}

bool write_saved_game(const char* path, const RecordedMove* moves, int count) {
    if (!path || count < 0) return false;
    std::string temp = std::string(path) + ".tmp";
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return false;
    bool ok = true;
    for (int i = 0; i < count && ok; ++i)
        ok = std::fprintf(f, "%d\n", moves[i]) > 0;
    // The data must be on the disk before the rename makes it the saved game.
    ok = ok && std::fflush(f) == 0 && fsync(fileno(f)) == 0;
    ok = (std::fclose(f) == 0) && ok;
    ok = ok && std::rename(temp.c_str(), path) == 0;
    if (!ok) std::remove(temp.c_str());
    return ok;
}

bool GameRecord::SaveGame(const char* path) {
    return write_saved_game(path, moves.block, moves.count);
}

bool GameRecord::LoadGame(const char* path) {
    std::vector<RecordedMove> read;
    SavedGameRead result = read_saved_game(path, read);
    if (result == SavedGameRead::CannotOpen) return false;
    if (result == SavedGameRead::Damaged) {
        tellPlayer("Damaged saved game : not loaded");
        return false;
    }
    NewGame(true);
    for (RecordedMove m : read) {
        moves.push(m);
        apply_recorded_move(m, square_ids, &promoted, &captured, false);
    }
    return true;
}

int GameRecord::ListSavedGames() {
    saved_file_names.clear();
    _finddata_t found;
    intptr_t search = _findfirst(SAVE_PATTERN, &found);
    if (search == -1) {
        Log("ERROR : No *.chs files in current directory !\n");
        return 0;
    }
    Log("\nListing of .chs files\n\n");
    Log("FILE         DATE %25c SIZE\n", ' ');
    Log("----         ---- %25c ----\n", ' ');
    do {
        // The date as "Sun Dec 06 11:05:55 2026": 24 characters, day of the month on two digits.
        char date[32] = "";
        std::tm local{};
        if (localtime_r(&found.time_write, &local))
            std::strftime(date, sizeof date, "%a %b %d %H:%M:%S %Y", &local);
        Log(" %-12s %.24s  %9ld\n", found.name, date, found.size);
        saved_file_names.push(found.name);
    } while (_findnext(search, &found) == 0);
    _findclose(search);
    return saved_file_names.count;
}
