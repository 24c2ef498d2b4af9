// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/chess3d-shots/shot_scene_start.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "board/camera_views.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/recorded_move.h"
#include "game/save_folder.h"
#include "game/settings.h"
#include "tools/chess3d-shots/shot_driver.h"
#include "ui/computer_page.h"

namespace {

constexpr int KEY_ESCAPE = 27;

bool fail(const char* what) {
    std::fprintf(stderr, "chess3d-shots: %s\n", what);
    return false;
}

} // namespace

SceneSaveFolder::SceneSaveFolder() {
    gameSettings() = GameSettings{};
    char saves[] = "/tmp/chess3d-shots-XXXXXX";
    if (!mkdtemp(saves)) {
        fail("no temporary folder");
        return;
    }
    path_ = saves;
    set_save_folder(saves);
}

SceneSaveFolder::~SceneSaveFolder() {
    if (path_.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
    set_save_folder("./Save/");
}

bool skipIntroToMenu() {
    pressKey(KEY_ESCAPE);
    if (!runUntil([] { return g_game->menuOpen && !IsCameraMoving(); }, 30))
        return fail("no menu after the intro");
    runFrames(5);
    return true;
}

bool clickMenuEntry(int page, int entry, bool settle) {
    int x, y;
    if (!findEntryPixel(page, entry, x, y)) return fail("menu entry not reachable");
    movePointer(x, y);
    runFrames(10);
    clickAt(x, y);
    return !settle || (runUntil([] { return !IsCameraMoving(); }, 5) && runFrames(90));
}

bool chooseComputerGame(int level, int colourEntry, bool settleLastClick) {
    return clickMenuEntry(0, 1) && clickMenuEntry(1, 3) && clickMenuEntry(COMPUTER_PAGE, level) &&
           clickMenuEntry(3, colourEntry, settleLastClick);
}

bool loadCoordinateMoves(const std::vector<std::string>& moves) {
    PieceId ids[64];
    PromotedPawns promoted = 0;
    start_square_ids(ids);
    std::vector<unsigned char> bytes;
    for (const std::string& m : moves) {
        const int fc = m[0] - 'a', fr = '8' - m[1], tc = m[2] - 'a', tr = '8' - m[3];
        const PieceId id = ids[fr * 8 + fc];
        if (id == NO_PIECE) return fail("a move of the loaded game starts on an empty square");
        const RecordedMove r =
            make_recorded_move(fr, fc, tr, tc, id_colour(id), id_kind(id), id_index(id));
        apply_recorded_move(r, ids, &promoted, nullptr, false);
        for (int b = 0; b < 4; ++b)
            bytes.push_back(static_cast<unsigned char>(uint32_t(r) >> (8 * b)));
    }
    if (!g_game->record.LoadMoves(bytes.data(), int(moves.size()))) return fail("game not loaded");
    g_game->record.RestoreBoard();
    return true;
}
