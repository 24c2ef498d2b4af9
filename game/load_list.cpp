// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/load_list.h"

#include <sys/stat.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <set>

#include "game/file_jobs.h"
#include "game/game_record.h"
#include "game/pgn.h"
#include "game/pgn_import.h"
#include "game/saved_games.h"
#include "game/unfinished_game.h"
#include "platform/win32.h"

namespace {

// The list wanted now: parts of an earlier one are dropped, and its reading stops.
std::atomic<unsigned> g_wanted{0};

bool stillWanted(unsigned list) {
    return g_wanted == list && !file_jobs_ending();
}

// A PGN file's count as last read, and the file as it was then.
struct GameCount {
    off_t size = 0;
    timespec modified{};
    int games = 0;
};

// The counts by path, those of the files of the last whole list. Made once and never destroyed:
// the worker may still look while the program's static objects go.
std::mutex g_countsMutex;
std::map<std::string, GameCount>& counts() {
    static auto* known = new std::map<std::string, GameCount>();
    return *known;
}

bool sameFile(const GameCount& c, const struct stat& st) {
    return c.size == st.st_size && c.modified.tv_sec == st.st_mtim.tv_sec &&
           c.modified.tv_nsec == st.st_mtim.tv_nsec;
}

// The games of the PGN file at `path` (at most PGN_LISTED_GAMES_MAX), from memory when the file
// has not changed since it was counted. 0 when the list stopped being wanted meanwhile.
int countGames(const std::string& path, unsigned list) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
    {
        std::lock_guard<std::mutex> lock(g_countsMutex);
        const auto known = counts().find(path);
        if (known != counts().end() && sameFile(known->second, st)) return known->second.games;
    }
    // A file changed while it is read has a newer time than `st` says: it is read again next
    // time.
    const int games = count_pgn_games(path.c_str(), PGN_LISTED_GAMES_MAX, nullptr,
                                      [list] { return !stillWanted(list); });
    if (!stillWanted(list)) return 0; // cut short: not a count
    std::lock_guard<std::mutex> lock(g_countsMutex);
    counts()[path] = GameCount{st.st_size, st.st_mtim, games};
    return games;
}

// Forgets the counts of files that are no longer in the folder.
void keepCountsOf(const std::set<std::string>& paths) {
    std::lock_guard<std::mutex> lock(g_countsMutex);
    for (auto it = counts().begin(); it != counts().end();)
        it = paths.count(it->first) ? std::next(it) : counts().erase(it);
}

// Hands a part to the frame loop, where `take` gets it if its list is still wanted.
void postPart(unsigned list, LoadListTaker take, std::vector<LoadableGame>&& lines,
              bool complete = false) {
    auto part = std::make_shared<std::vector<LoadableGame>>(std::move(lines));
    post_file_result([list, take, part, complete] {
        if (g_wanted == list) take(*part, complete);
    });
}

// The worker's side of start_load_list.
void makeList(unsigned list, GameRecord* record, LoadListTaker take, const std::string& folder,
              const std::string& pattern) {
    // 1. The saved games, given to the record on the frame loop.
    auto saved = std::make_shared<std::vector<FoundFile>>(find_files(pattern));
    unfinished_game_first(*saved);
    post_file_result([list, record, take, saved] {
        if (g_wanted != list) return;
        record->TakeSavedGames(*saved);
        std::vector<LoadableGame> lines;
        for (const FoundFile& f : *saved)
            lines.push_back({f.name, 0, 0});
        take(lines, false);
    });
    std::set<std::string> copies; // the PGN files saves wrote beside the ".chs" files
    for (const FoundFile& f : *saved)
        copies.insert(pgn_path_beside(f.name));
    // 2. Each PGN file, a part of its own.
    std::set<std::string> paths;
    for (const FoundFile& f : find_files(folder + "*.pgn")) {
        if (!stillWanted(list)) return;
        if (copies.count(f.name)) continue;
        const std::string path = folder + f.name;
        paths.insert(path);
        const int games = countGames(path, list);
        if (games == 0) continue;
        std::vector<LoadableGame> lines;
        lines.reserve(size_t(games));
        for (int g = 1; g <= games; ++g)
            lines.push_back({f.name, g, games});
        postPart(list, take, std::move(lines));
    }
    if (!stillWanted(list)) return;
    keepCountsOf(paths);
    postPart(list, take, {}, true);
}

} // namespace

std::vector<FoundFile> find_files(const std::string& pattern) {
    std::vector<FoundFile> files;
    _finddata_t found;
    const intptr_t search = _findfirst(pattern.c_str(), &found);
    if (search == -1) return files;
    do {
        files.push_back({found.name, found.time_write, found.size});
    } while (_findnext(search, &found) == 0);
    _findclose(search);
    return files;
}

void start_load_list(GameRecord& record, LoadListTaker take) {
    const unsigned list = ++g_wanted;
    GameRecord* r = &record;
    // The folder as it is now: the worker never reads the game's settings.
    const std::string folder = save_folder(), pattern = save_pattern();
    run_file_job([list, r, take, folder, pattern] { makeList(list, r, take, folder, pattern); });
}

void stop_load_list() {
    ++g_wanted;
}

std::string loadable_game_ref(const LoadableGame& line) {
    const std::string path = std::string(save_folder()) + line.file;
    return line.game > 0 ? pgn_game_ref(path, line.game) : path;
}
