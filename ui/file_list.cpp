#include "ui/file_list.h"

#include <cmath>

#include "app/globals.h"
#include "engine/KivEngine.h"
#include "game/game_record.h"
#include "game/load_list.h"
#include "game/saved_games.h"
#include "platform/win32.h"
#include "ui/fades.h"
#include "ui/interface.h"

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

// Takes a line out of the scene's drawn list (the last entry fills its place) and destroys it.
void destroyLine(KTexte* t) {
    std::vector<KTexte*>& drawn = g_scene->textes;
    for (size_t i = 0; i < drawn.size(); ++i) {
        if (drawn[i] != t) continue;
        drawn[i] = drawn.back();
        drawn.pop_back();
        break;
    }
    delete t;
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

void appendFileLines(const std::vector<LoadableGame>& more) {
    TextOverlay* o = overlay();
    if (!o || !g_scene) return;
    std::vector<KTexte*>& lines = o->fileLines;
    // The texts of the list before this one are reused, then new ones made.
    for (const LoadableGame& l : more) {
        const size_t i = g_listed.size();
        g_listed.push_back(l);
        if (lines.size() <= i) lines.push_back(makeLine());
        lines[i]->SetTexte(fileLineText(l.file, l.game, l.games).c_str());
        lines[i]->visible = 0;
        placeLine(lines[i], int(i));
    }
    if (g_shownCount > 0) showFileLines(g_shownFirst, g_shownCount);
}

void buildFileList(bool withPgnGames) {
    TextOverlay* o = overlay();
    if (!o || !g_record || !g_scene) return;
    stop_load_list(); // the parts of a list still being made go with it
    g_listed.clear();
    std::vector<LoadableGame> saved;
    if (!withPgnGames) {
        const int count = g_record->ListSavedGames();
        for (int i = 0; i < count; ++i)
            saved.push_back({g_record->saved_file_names[i], 0, 0});
    }
    // Exactly the lines of this list: texts beyond its count go (a list made later reuses the
    // others).
    std::vector<KTexte*>& lines = o->fileLines;
    while (lines.size() > saved.size()) {
        destroyLine(lines.back());
        lines.pop_back();
    }
    appendFileLines(saved);
    if (withPgnGames) start_load_list(*g_record, appendFileLines);
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
}

void hideFileLines() {
    g_shownCount = 0;
    if (TextOverlay* o = overlay())
        for (KTexte* t : o->fileLines)
            t->visible = 0;
}

void placeFileLines() {
    TextOverlay* o = overlay();
    if (!o) return;
    for (int i = 0; i < int(o->fileLines.size()); ++i)
        placeLine(o->fileLines[i], i - g_ui->listFirst);
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
