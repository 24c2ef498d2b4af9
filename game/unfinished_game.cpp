// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/unfinished_game.h"

#include <unistd.h>

#include <algorithm>
#include <memory>

#include "game/file_io.h"
#include "game/file_jobs.h"
#include "game/game_end_state.h"
#include "game/game_model.h"
#include "game/load_list.h"
#include "game/pgn.h"
#include "game/player_info.h"
#include "game/saved_games.h"

namespace {

// A game worth keeping: against the computer, started, and not over (ended on the board or
// resigned). While a replay shows an earlier position the game is kept as it stands.
bool gameToKeep() {
    if (!g_game || !localGame()) return false;
    const GameRecord& record = g_game->record;
    if (record.moves.count == 0) return false;
    return record.replayPlies >= 0 || !gameFinished();
}

// `flush`: to the disk before the rename, surviving a crash of the system too. Without it the
// rename still replaces a whole file by a whole file, which is all a killed process needs, and a
// game of quick moves does not ask the disk for a flush each time.
void keep(bool flush) {
    if (!gameToKeep()) return;
    // The moves are written now (the record may change in the next frame); the flush to the disk
    // and the rename over the file before are the worker's.
    auto staged = std::make_shared<StagedFile>();
    const std::string path = unfinished_game_path();
    const GameRecord& record = g_game->record;
    if (!stage_saved_game(path.c_str(), record.moves.block, record.moves.count, *staged)) {
        tellPlayer("Game not kept");
        return;
    }
    auto kept = std::make_shared<bool>(false);
    run_file_job([staged, kept, flush] { *kept = commit_staged_file(*staged, flush); },
                 [kept] {
                     if (!*kept) tellPlayer("Game not kept");
                 });
}

} // namespace

std::string unfinished_game_path() {
    return std::string(save_folder()) + UNFINISHED_GAME_FILE;
}

void keepUnfinishedGame() {
    keep(false);
}

void forgetUnfinishedGame() {
    // With the PGN copy a save from the save screen over this name wrote beside it: left alone,
    // the copy would come back in the load list as a PGN file of its own.
    const std::string path = unfinished_game_path(), copy = pgn_path_beside(path);
    run_file_job([path, copy] {
        unlink(path.c_str());
        unlink(copy.c_str());
    });
}

void keepUnfinishedGameAtExit() {
    keep(true);
    finish_file_jobs();
}

void unfinished_game_first(std::vector<FoundFile>& files) {
    std::stable_partition(files.begin(), files.end(),
                          [](const FoundFile& f) { return f.name == UNFINISHED_GAME_FILE; });
}
