// The game record's saved games: saving (the ".chs" file and a PGN copy beside it), loading
// (a ".chs" file or one game of a PGN file) and the listing of the save folder in the engine's
// log.

#include <ctime>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/globals.h"
#include "board/board_scene.h"
#include "board/player_info.h"
#include "engine/KivEngine.h"
#include "game/game_record.h"
#include "game/pgn.h"
#include "game/pgn_import.h"
#include "game/saved_games.h"
#include "platform/win32.h"

namespace {

// The PGN tags of the game being saved: the day it started (today for a game without moves);
// against the computer, the engine's side is "Computer" and the player's side keeps its
// colour's name.
PgnTags tagsOfThisGame() {
    PgnTags tags;
    tags.date =
        g_record && !g_record->startDay.empty() ? g_record->startDay : pgn_date(std::time(nullptr));
    bool againstComputer = !g_app || (!g_app->server && !g_app->client);
    if (againstComputer && g_board) {
        if (g_board->humanColour == 0)
            tags.black = "Computer";
        else
            tags.white = "Computer";
    }
    return tags;
}

} // namespace

bool GameRecord::SaveGame(const char* path) {
    if (!write_saved_game(path, moves.block, moves.count)) return false;
    // The PGN copy is for other chess programs: the saved game stands whether or not it could
    // be written.
    ReplayedGame game;
    replay_recorded_game(moves.block, moves.count, game);
    std::string pgnPath = pgn_path_beside(path);
    if (!write_text_file(pgnPath.c_str(), pgn_text(tagsOfThisGame(), game)))
        Log("WARNING : could not write %s\n", pgnPath.c_str());
    return true;
}

bool GameRecord::LoadGame(const char* path) {
    std::vector<RecordedMove> read;
    std::string day;
    std::string pgnPath;
    int pgnGame = 0;
    if (path && parse_pgn_ref(path, pgnPath, pgnGame)) {
        PgnLoaded loaded;
        const std::string why = load_pgn_game(pgnPath.c_str(), pgnGame, loaded);
        if (!why.empty()) {
            tellPlayer(why.c_str());
            return false;
        }
        read = std::move(loaded.moves);
        day = loaded.date;
    } else {
        SavedGameRead result = read_saved_game(path, read);
        if (result == SavedGameRead::CannotOpen) return false;
        if (result == SavedGameRead::Damaged) {
            tellPlayer("Damaged saved game : not loaded");
            return false;
        }
        day = start_day_beside(path, read);
    }
    NewGame(true);
    if (!read.empty()) startDay = day;
    for (RecordedMove m : read) {
        moves.push(m);
        apply_recorded_move(m, square_ids, &promoted, &captured, false);
    }
    return true;
}

int GameRecord::ListSavedGames() {
    saved_file_names.clear();
    _finddata_t found;
    intptr_t search = _findfirst(save_pattern(), &found);
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
