// SPDX-License-Identifier: GPL-3.0-or-later
// The game record's saved games: saving (the ".chs" file and a PGN copy beside it), loading
// (a ".chs" file or one game of a PGN file) and the listing of the save folder in the engine's
// log.

#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/file_io.h"
#include "game/file_jobs.h"
#include "game/game_end_state.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/load_list.h"
#include "game/pgn.h"
#include "game/pgn_import.h"
#include "game/player_info.h"
#include "game/saved_games.h"
#include "game/saved_resignation.h"
#include "platform/win32.h"

namespace {

// The PGN tags of the game being saved: the day it started (today for a game without moves);
// against the computer, the engine's side is "Computer" and the player's side keeps its
// colour's name.
PgnTags tagsOfThisGame() {
    PgnTags tags;
    tags.date = g_game && !g_game->record.startDay.empty() ? g_game->record.startDay
                                                           : pgn_date(std::time(nullptr));
    bool againstComputer = localGame();
    if (againstComputer && g_board) {
        if (g_game->humanColour == 0)
            tags.black = "Computer";
        else
            tags.white = "Computer";
    }
    return tags;
}

// A save between its two halves: the ".chs" file written beside its target, and the text of
// its PGN copy (made from the engine, which only the game's thread may use).
struct PendingSave {
    StagedFile chs;
    std::string pgnPath;
    std::string pgnText;
    bool saved = false;      // the ".chs" file is in place
    bool pgnWritten = false; // and its PGN copy beside it
};

// The first half, on the game's thread: false when the ".chs" file cannot be written at all.
bool stageSave(const GameRecord& record, const char* path, PendingSave& save) {
    if (!stage_saved_game(path, record.moves.block, record.moves.count, save.chs)) return false;
    ReplayedGame game;
    replay_recorded_game(record.moves.block, record.moves.count, game);
    if (game.refused_at < 0) game.end = endToSave(game.end, record.moves.count);
    save.pgnPath = pgn_path_beside(path);
    save.pgnText = pgn_text(tagsOfThisGame(), game);
    return true;
}

// The second half, on any thread: the ".chs" flushed and put in place, then the PGN copy
// beside it. The copy is for other chess programs: the saved game stands whether or not it
// could be written.
void completeSave(PendingSave& save) {
    save.saved = commit_staged_file(save.chs, true);
    save.pgnWritten = save.saved && write_text_file(save.pgnPath.c_str(), save.pgnText);
}

void logPgnCopy(const PendingSave& save) {
    if (save.saved && !save.pgnWritten) Log("WARNING : could not write %s\n", save.pgnPath.c_str());
}

} // namespace

bool GameRecord::SaveGame(const char* path) {
    PendingSave save;
    if (!stageSave(*this, path, save)) return false;
    completeSave(save);
    logPgnCopy(save);
    return save.saved;
}

void GameRecord::StartSaveGame(const char* path) {
    auto save = std::make_shared<PendingSave>();
    if (!stageSave(*this, path, *save)) {
        tellPlayer("Game not saved");
        return;
    }
    // The flush may wait for seconds on a busy disk: the worker waits, not the frame. Saves
    // run in the order given, so the last of two saves of one file is the one that stays.
    run_file_job([save] { completeSave(*save); },
                 [save] {
                     logPgnCopy(*save);
                     if (!save->saved) tellPlayer("Game not saved");
                 });
}

bool GameRecord::LoadGame(const char* path) {
    std::vector<RecordedMove> read;
    std::string day;
    std::string pgnPath;
    int pgnGame = 0;
    GameEnd resigned = GAME_GOES_ON;
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
        resigned = resignation_beside(path, read); // the ".chs" itself cannot say it
    }
    NewGame(true);
    if (!read.empty()) startDay = day;
    for (RecordedMove m : read) {
        moves.push(m);
        apply_recorded_move(m, square_ids, &promoted, &captured, false);
    }
    resignedWhenRebuilt(resigned, moves.count);
    return true;
}

int GameRecord::ListSavedGames() {
    return TakeSavedGames(find_files(save_pattern()));
}

int GameRecord::TakeSavedGames(const std::vector<FoundFile>& found) {
    saved_file_names.clear();
    if (found.empty()) {
        Log("ERROR : No *.chs files in current directory !\n");
        return 0;
    }
    Log("\nListing of .chs files\n\n");
    Log("FILE         DATE %25c SIZE\n", ' ');
    Log("----         ---- %25c ----\n", ' ');
    for (const FoundFile& f : found) {
        // The date as "Sun Dec 06 11:05:55 2026": 24 characters, day of the month on two digits.
        char date[32] = "";
        std::tm local{};
        if (localtime_r(&f.written, &local))
            std::strftime(date, sizeof date, "%a %b %d %H:%M:%S %Y", &local);
        Log(" %-12s %.24s  %9ld\n", f.name.c_str(), date, f.size);
        saved_file_names.push(f.name);
    }
    return saved_file_names.count;
}
