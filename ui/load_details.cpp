// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/load_details.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>

#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/file_jobs.h"
#include "game/pgn_details.h"
#include "game/pgn_import.h"
#include "ui/file_list.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"
#include "ui/text_panel.h"

namespace {

// Under the load panel at every window width (its bottom edge is at y 458 of 800), as wide as the
// line needs and at most this part of the width.
constexpr double TOP_PER_WIDTH = 0.5875;
constexpr double MAX_WIDTH_PER_WIDTH = 0.86;
constexpr float TEXT_SIZE = 0.75f; // of the classic font: a line of 70 characters fits at 800

struct LoadDetails {
    KTexte* text = nullptr;
    TextPanel panel;
    std::string ref; // the selected line's game the details are (being) read for
    bool shown = false;
} g_details;

// The reading wanted now: a reading asked for earlier finds it changed and stops.
std::atomic<unsigned> g_wanted{0};

TextOverlay* overlay() {
    return g_ui ? g_ui->overlay : nullptr;
}

float charAdvance() {
    const KFont* font = overlay()->classicFont;
    return std::max(1.0f, font->size + font->spacing) * TEXT_SIZE;
}

// Characters the line may hold at the window's width.
size_t roomInCharacters() {
    const int w = overlay()->screenWidth;
    const int pad = w * 10 / 800;
    return size_t(std::max(8.0f, float(w * MAX_WIDTH_PER_WIDTH - 2 * pad) / charAdvance()));
}

} // namespace

void buildLoadDetails() {
    g_details = LoadDetails();
    ++g_wanted; // a reading for the scene before is not taken
    TextOverlay* o = overlay();
    if (!o || !o->classicFont || !g_scene) return;
    g_details.panel = makeTextPanel("loadDetails");
    KTexte* t = new KTexte();
    t->font = o->classicFont;
    t->size = TEXT_SIZE;
    t->blend = 1;
    t->r = 0.95f, t->g = 0.9f, t->b = 0.75f;
    g_scene->AddTexte(t);
    g_details.text = t;
}

namespace {

void setShown(bool shown) {
    g_details.shown = shown;
    if (!g_details.text) return;
    g_details.text->visible = shown ? 1 : 0;
    setTextPanelShown(g_details.panel, shown);
}

// Centred under the load panel, the panel around the line.
void place() {
    if (!g_details.text) return;
    const int w = overlay()->screenWidth;
    const int pad = w * 10 / 800;
    const int width = int(overlay()->classicFont->TextWidth(g_details.text->texte) * TEXT_SIZE);
    const int height = int(overlay()->classicFont->size * TEXT_SIZE);
    const int x = w / 2 - width / 2 - pad, y = int(w * TOP_PER_WIDTH);
    placeTextPanel(g_details.panel, x, y, width + 2 * pad, height + pad);
    g_details.text->x = x + pad;
    g_details.text->y = y + pad / 2;
}

// The worker's reading has come back to the frame loop.
void take(const std::string& ref, const std::string& details) {
    if (ref != g_details.ref || !g_ui->loadScreenOpen || !g_details.text || details.empty()) return;
    g_details.text->SetTexte(details.c_str());
    place();
    setShown(true);
}

} // namespace

void showLoadDetails() {
    if (!g_ui || !g_ui->loadScreenOpen || !g_details.text) {
        hideLoadDetails();
        return;
    }
    const std::string ref = selectedGamePath();
    if (ref == g_details.ref) return; // the same game: its line stays as it is
    g_details.ref = ref;
    setShown(false);
    std::string path;
    int game = 0;
    if (ref.empty() || !parse_pgn_ref(ref, path, game)) return; // a saved game: no tags
    const unsigned reading = ++g_wanted;
    const size_t room = roomInCharacters();
    auto details = std::make_shared<std::string>();
    run_file_job(
        [reading, path, game, room, details] {
            PgnGame chosen;
            auto dropped = [reading] { return g_wanted != reading || file_jobs_ending(); };
            if (!dropped() && read_pgn_game(path.c_str(), game, chosen, dropped))
                *details = pgn_details(chosen, room);
        },
        [ref, details] { take(ref, *details); });
}

void hideLoadDetails() {
    ++g_wanted;
    g_details.ref.clear();
    setShown(false);
}

void placeLoadDetails() {
    // Read again for the line's new room.
    if (g_details.ref.empty()) return;
    g_details.ref.clear();
    showLoadDetails();
}
