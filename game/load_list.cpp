#include "game/load_list.h"

#include <set>

#include "game/game_record.h"
#include "game/pgn.h"
#include "game/pgn_import.h"
#include "game/saved_games.h"
#include "platform/win32.h"

namespace {

// The names of the PGN files in the save folder, in name order.
std::vector<std::string> pgnFileNames() {
    std::vector<std::string> names;
    _finddata_t found;
    const std::string pattern = std::string(save_folder()) + "*.pgn";
    intptr_t search = _findfirst(pattern.c_str(), &found);
    if (search == -1) return names;
    do {
        names.emplace_back(found.name);
    } while (_findnext(search, &found) == 0);
    _findclose(search);
    return names;
}

} // namespace

std::vector<LoadableGame> list_loadable_games(GameRecord& record) {
    std::vector<LoadableGame> lines;
    std::set<std::string> copies; // the PGN files saves wrote beside the ".chs" files
    const int saved = record.ListSavedGames();
    for (int i = 0; i < saved; ++i) {
        lines.push_back({record.saved_file_names[i], 0, 0});
        copies.insert(pgn_path_beside(record.saved_file_names[i]));
    }
    for (const std::string& name : pgnFileNames()) {
        if (copies.count(name)) continue;
        const std::string path = std::string(save_folder()) + name;
        const int games = count_pgn_games(path.c_str(), PGN_LISTED_GAMES_MAX);
        for (int g = 1; g <= games; ++g)
            lines.push_back({name, g, games});
    }
    return lines;
}

std::string loadable_game_ref(const LoadableGame& line) {
    const std::string path = std::string(save_folder()) + line.file;
    return line.game > 0 ? pgn_game_ref(path, line.game) : path;
}
