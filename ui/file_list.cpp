// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/file_list.h"

#include <cmath>
#include <unordered_map>

#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/load_list.h"
#include "game/saved_games.h"
#include "platform/win32.h"
#include "ui/fades.h"
#include "ui/interface.h"
#include "ui/load_details.h"

namespace {

// The list's geometry at the 800-pixel start width: line i of the window at (260, 210 + 20 i);
// both scale with the window's width. The bar, under the camera at distance 1.8, covers line 0
// at y 0.2837 and moves 0.0695 a line.
constexpr double LINE_X_PER_WIDTH = 0.325;
constexpr double LINE_Y_PER_WIDTH = 0.00125;
constexpr int LINE_Y0 = 210, LINE_STEP = 20;
constexpr float BAR_Y0 = 0.2837f, BAR_STEP = 0.0695f, BAR_Z = -1.8f;

// Characters of the classic font that fit between the line's start and the panel's inner edge
// at every window width (the font scales with the width: 11.5 pixels a character at 800).
constexpr size_t MAX_SHOWN_CHARACTERS = 26;
constexpr int EXTENSION_LENGTH = 4; // ".chs", ".pgn"

// What the lines of the open list stand for, line by line.
std::vector<LoadableGame> g_listed;

// The window of lines on screen (showFileLines), so that lines arriving later show in it;
// count 0 while the list is hidden.
int g_shownFirst = 0, g_shownCount = 0;

// Rounded to the nearer integer, a tie going up.
int roundHalfUp(double v) {
    return int(std::floor(v + 0.5));
}

TextOverlay* overlay() {
    return g_ui ? g_ui->overlay : nullptr;
}

// Puts a line on row `row` of the window (negative or beyond: where it would stand) for the
// overlay's width.
void placeLine(KTexte* t, int row) {
    const int w = overlay()->screenWidth;
    t->x = roundHalfUp(w * LINE_X_PER_WIDTH);
    t->y = roundHalfUp(w * double(LINE_Y0 + LINE_STEP * row) * LINE_Y_PER_WIDTH);
}

// A hidden white line of the classic font, drawn by the scene.
KTexte* makeLine() {
    KTexte* t = new KTexte();
    t->font = overlay()->classicFont;
    t->r = t->g = t->b = 1.0f;
    t->visible = 0;
    t->blend = 1;
    t->size = 1.0f;
    g_scene->AddTexte(t);
    return t;
}

// Texts of an earlier list, hidden and still in the scene, that the lines of the list being
// made take before new ones are made; the rest go once the list is complete.
std::vector<KTexte*> g_spareLines;

// A text for the next line: a spare one, else a new one.
KTexte* takeLine() {
    if (g_spareLines.empty()) return makeLine();
    KTexte* t = g_spareLines.back();
    g_spareLines.pop_back();
    return t;
}

// Takes the spare texts out of the scene's drawn list, each as if on its own (the list's last
// entry fills its place), and destroys them. The places are looked up once: thousands of lines
// of PGN games go in one pass, not one search each.
void destroySpareLines() {
    if (g_spareLines.empty()) return;
    std::vector<KTexte*>& drawn = g_scene->textes;
    std::unordered_map<KTexte*, size_t> place;
    place.reserve(drawn.size());
    for (size_t i = 0; i < drawn.size(); ++i)
        place[drawn[i]] = i;
    for (KTexte* t : g_spareLines) {
        const auto found = place.find(t);
        if (found != place.end()) {
            const size_t i = found->second;
            drawn[i] = drawn.back();
            place[drawn[i]] = i;
            drawn.pop_back();
            place.erase(t);
        }
        delete t;
    }
    g_spareLines.clear();
}

} // namespace

std::string fileLineText(const std::string& fileName, int game, int games) {
    std::string name = fileName.size() >= size_t(EXTENSION_LENGTH)
                           ? fileName.substr(0, fileName.size() - EXTENSION_LENGTH)
                           : std::string();
    // One game of a PGN file of several: " - game N" after the name, which gives way to it.
    const std::string which = games > 1 ? " - game " + std::to_string(game) : "";
    const size_t room = MAX_SHOWN_CHARACTERS - which.size();
    if (name.size() > room) name = name.substr(0, room - 3) + "...";
    return name + which;
}

void appendFileLines(const std::vector<LoadableGame>& more, bool complete) {
    TextOverlay* o = overlay();
    if (!o || !g_scene) return;
    std::vector<KTexte*>& lines = o->fileLines;
    for (const LoadableGame& l : more) {
        KTexte* t = takeLine();
        t->SetTexte(fileLineText(l.file, l.game, l.games).c_str());
        t->visible = 0;
        placeLine(t, int(lines.size()));
        lines.push_back(t);
        g_listed.push_back(l);
    }
    if (complete) destroySpareLines();
    if (g_shownCount > 0) showFileLines(g_shownFirst, g_shownCount);
}

void buildFileList(bool withPgnGames) {
    TextOverlay* o = overlay();
    if (!o || !g_game || !g_scene) return;
    stop_load_list(); // the parts of a list still being made go with it
    g_listed.clear();
    // The texts of the list before are reused, the first first.
    std::vector<KTexte*>& lines = o->fileLines;
    for (KTexte* t : lines)
        t->visible = 0;
    g_spareLines.insert(g_spareLines.end(), lines.rbegin(), lines.rend());
    lines.clear();
    if (withPgnGames) {
        start_load_list(g_game->record, appendFileLines);
        return;
    }
    std::vector<LoadableGame> saved;
    const int count = g_game->record.ListSavedGames();
    for (int i = 0; i < count; ++i)
        saved.push_back({g_game->record.saved_file_names[i], 0, 0});
    appendFileLines(saved, true);
}

void showFileLines(int first, int count) {
    TextOverlay* o = overlay();
    if (!o) return;
    g_shownFirst = first;
    g_shownCount = count;
    for (int i = 0; i < int(o->fileLines.size()); ++i) {
        KTexte* t = o->fileLines[i];
        const bool shown = i >= first && i < first + count;
        t->visible = shown ? 1 : 0;
        if (shown) placeLine(t, i - first);
    }
    showLoadDetails(); // the selected game's, on the load screen
}

void hideFileLines() {
    g_shownCount = 0;
    hideLoadDetails();
    if (TextOverlay* o = overlay())
        for (KTexte* t : o->fileLines)
            t->visible = 0;
}

void placeFileLines() {
    TextOverlay* o = overlay();
    if (!o) return;
    for (int i = 0; i < int(o->fileLines.size()); ++i)
        placeLine(o->fileLines[i], i - g_ui->listFirst);
    placeLoadDetails();
}

void placeSelectionBar(int row) {
    if (KNodeGraph* bar = g_ui->selectionBar)
        bar->prs.SetPosition(0, BAR_Y0 - BAR_STEP * row, BAR_Z);
}

void moveSelection(int code, int window) {
    Interface* ui = g_ui;
    TextOverlay* o = overlay();
    if (!ui || !o || (code != VK_UP && code != VK_DOWN)) return;
    const int n = int(o->fileLines.size());
    if (code == VK_UP) {
        ui->listIndex = ui->listIndex > 0 ? ui->listIndex - 1 : 0;
        if (ui->listIndex < ui->listFirst) ui->listFirst = ui->listIndex;
    } else {
        ui->listIndex = ui->listIndex + 1 < n ? ui->listIndex + 1 : (n > 0 ? n - 1 : 0);
        if (ui->listIndex > ui->listFirst + window - 1) ui->listFirst = ui->listIndex - window + 1;
    }
    showFileLines(ui->listFirst, window);
    placeSelectionBar(ui->listIndex - ui->listFirst);
}

std::string selectedGamePath() {
    const int i = g_ui ? g_ui->listIndex : -1;
    TextOverlay* o = overlay();
    if (!o || i < 0 || i >= int(o->fileLines.size()) || i >= int(g_listed.size()))
        return std::string();
    return loadable_game_ref(g_listed[size_t(i)]);
}

void setChoiceConfirmed(bool confirmed) {
    g_ui->choiceConfirmed = confirmed ? 1 : 0;
    if (g_ui->selectionOK) g_ui->selectionOK->hidden = confirmed ? 0 : 1;
}

void openListPanel(KNodeGraph* panel, const char* panelMaterial, void (*onShown)(),
                   bool withPgnGames) {
    Interface* ui = g_ui;
    if (panel) panel->hidden = 0;
    if (ui->selectionBar) ui->selectionBar->hidden = 0;
    KMaterial* panelMat = GetMatByName(g_scene, panelMaterial);
    KMaterial* barMat = GetMatByName(g_scene, "selectionMater");
    prepareFade(panelMat, 0.0f); // no flash of the full panel before its first key
    prepareFade(barMat, 0.0f);
    playFade(panelMat, FADE_PANEL_IN, onShown);
    playFade(barMat, FADE_SELECTION_IN, nullptr);
    placeSelectionBar(0);
    buildFileList(withPgnGames);
    ui->listIndex = 0;
    ui->listFirst = 0;
}

void closeListPanel(const char* panelMaterial, void (*onHidden)()) {
    stop_load_list();
    hideFileLines();
    playFade(GetMatByName(g_scene, panelMaterial), FADE_PANEL_OUT, onHidden);
    playFade(GetMatByName(g_scene, "selectionMater"), FADE_SELECTION_OUT, nullptr);
    turnWall(0);
    g_ui->page = 0;
    setChoiceConfirmed(false);
}
