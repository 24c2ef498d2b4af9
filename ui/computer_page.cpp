// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/computer_page.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/opponent.h"
#include "game/settings.h"
#include "platform/installed_engines.h"
#include "platform/win32.h"
#include "ui/interface.h"
#include "ui/page_picture.h"

namespace {

// The well on the page where the engine's name shows, in the picture's bottom-up pixels, and the
// plates picture: one well-sized slot per name, from the top, in the order of EngineNameSlot.
// Both pictures come from the asset generator, which lays them out with these same numbers.
constexpr int WELL_X = 128, WELL_Y = 102, WELL_W = 256, WELL_H = 32;
constexpr int PLATE_COUNT = 9;
const char* const PAGE_PICTURE = ".\\textures\\Interfaces\\computer.jpg";
const char* const PLATES_PICTURE = ".\\textures\\Interfaces\\engines.jpg";

struct ComputerPage {
    PagePicture picture;
    std::vector<unsigned char> pristine; // the page as drawn, no name pasted, no level lit
    KTexture* plates = nullptr;
    std::vector<InstalledEngine> engines; // the choices listed when the page was opened
    size_t engineIndex = 0;               // the engine shown
    int level = ENGINE_LEVEL_DEFAULT;     // the level lit
    char label[96] = "";
    bool foldersOverridden = false;
    std::string folders; // searched instead of PATH and the games folders when overridden
} g_page;

// Copies a WELL_W x WELL_H block from the plates' slot into `pixels` (the page, 512 wide), both
// bottom-up; nothing when either picture is not of the size laid out.
void pastePlate(std::vector<unsigned char>& pixels, int pageWidth, int pageHeight, int slot) {
    const KTexture* p = g_page.plates;
    if (!p || p->width != WELL_W || p->height != WELL_H * PLATE_COUNT) return;
    if (p->pixels.size() != size_t(WELL_W) * WELL_H * PLATE_COUNT * 4) return;
    if (pageWidth < WELL_X + WELL_W || pageHeight < WELL_Y + WELL_H) return;
    if (pixels.size() != size_t(pageWidth) * pageHeight * 4) return;
    if (slot < 0 || slot >= PLATE_COUNT) slot = PLATE_COUNT - 1;
    const int firstRow = (PLATE_COUNT - 1 - slot) * WELL_H; // slots run from the top
    for (int y = 0; y < WELL_H; ++y)
        std::memcpy(&pixels[(size_t(WELL_Y + y) * pageWidth + WELL_X) * 4],
                    &p->pixels[size_t(firstRow + y) * WELL_W * 4], size_t(WELL_W) * 4);
}

// The page drawn again: the plain copy becomes the pristine page with the engine's name and the
// level lit, and the picture that copy with the hovered entry's highlight.
void repaint() {
    PagePicture& pp = g_page.picture;
    KTexture* t = pp.picture;
    if (!t || g_page.pristine.empty() || t->pixels.size() != g_page.pristine.size()) return;
    pp.plainPixels = g_page.pristine;
    const std::string& command =
        g_page.engines.empty() ? std::string() : g_page.engines[g_page.engineIndex].command;
    pastePlate(pp.plainPixels, t->width, t->height, EngineNameSlot(command));
    t->pixels = pp.plainPixels;
    if (const PixelRect* lit = entryPictureRect(COMPUTER_PAGE, g_page.level))
        pasteHighlight(pp, *lit);
    pp.plainPixels = t->pixels;
    if (g_ui && g_ui->page == COMPUTER_PAGE && g_ui->hoveredEntry != g_page.level)
        if (const PixelRect* hovered = entryPictureRect(COMPUTER_PAGE, g_ui->hoveredEntry))
            pasteHighlight(pp, *hovered);
    uploadPicture(pp);
}

void stepEngine(int by) {
    const size_t n = g_page.engines.size();
    if (n == 0) return;
    g_page.engineIndex = (g_page.engineIndex + (by > 0 ? 1 : n - 1)) % n;
    repaint();
}

void stepLevel(int by) {
    const int level = g_page.level + by;
    if (level < ENGINE_LEVEL_MIN || level > ENGINE_LEVEL_MAX) return;
    g_page.level = level;
    repaint();
}

// The engine and level shown become the computer's: it starts again only when they changed (a
// UCI engine keeps its warm process otherwise), and settings.ini keeps them (written when they
// differ from it).
void confirmChoice() {
    OpponentChoice choice = opponentChoice();
    const std::string command =
        g_page.engines.empty() ? std::string() : g_page.engines[g_page.engineIndex].command;
    const std::string engine = namesBuiltinEngine(command) ? std::string() : command;
    const bool changed =
        !SameEngineCommand(engine.empty() ? BUILTIN_ENGINE_COMMAND : engine,
                           choice.engine.empty() ? BUILTIN_ENGINE_COMMAND : choice.engine) ||
        choice.level != g_page.level;
    choice.engine = engine;
    choice.level = g_page.level;
    if (changed) startOpponent(choice);
    GameSettings& settings = gameSettings();
    if (settings.engine == engine && settings.level == g_page.level) return; // kept already
    settings.engine = engine;
    settings.level = g_page.level;
    if (!saveGameSettings(settingsPath()))
        Log("WARNING : could not write the settings to %s\n", settingsPath().c_str());
}

} // namespace

void buildComputerPage() {
    PagePicture& pp = g_page.picture;
    if (!initPagePicture(pp, g_scene, PAGE_PICTURE, "computerselect.jpg",
                         ".\\textures\\Interfaces\\computerselect.jpg"))
        Log("menu: picture %s or its highlight is missing\n", PAGE_PICTURE);
    g_page.pristine = pp.plainPixels;
    g_page.plates = new KTexture(g_scene);
    g_page.plates->name = g_page.plates->fileName = "engines.jpg";
    if (!g_page.plates->LoadTexture(PLATES_PICTURE))
        Log("menu: picture %s is missing\n", PLATES_PICTURE);
    g_page.plates->dirty = 0; // a source of pixels only, never drawn
    g_page.engines.clear();
    g_page.level = opponentChoice().level;
    repaint();
}

PagePicture* computerPagePicture() {
    return &g_page.picture;
}

void openComputerPage() {
    const OpponentChoice& current = opponentChoice();
    const std::string folders = g_page.foldersOverridden ? g_page.folders : EngineSearchFolders();
    g_page.engines =
        EngineChoices(FindInstalledEngines(folders),
                      current.engine.empty() ? BUILTIN_ENGINE_COMMAND : current.engine);
    g_page.engineIndex = 0;
    for (size_t i = 0; i < g_page.engines.size(); ++i)
        if (SameEngineCommand(g_page.engines[i].command,
                              current.engine.empty() ? BUILTIN_ENGINE_COMMAND : current.engine))
            g_page.engineIndex = i;
    g_page.level = current.level < ENGINE_LEVEL_MIN || current.level > ENGINE_LEVEL_MAX
                       ? ENGINE_LEVEL_DEFAULT
                       : current.level;
    repaint();
}

bool computerPageClick(int entry) {
    if (entry == ENTRY_ENGINE_PREVIOUS || entry == ENTRY_ENGINE_NEXT) {
        stepEngine(entry == ENTRY_ENGINE_NEXT ? 1 : -1);
        return false;
    }
    if (entry < ENGINE_LEVEL_MIN || entry > ENGINE_LEVEL_MAX) return false;
    g_page.level = entry;
    repaint();
    confirmChoice();
    return true;
}

bool computerPageKey(int code) {
    switch (code) {
    case VK_LEFT:
    case VK_RIGHT:
        stepEngine(code == VK_RIGHT ? 1 : -1);
        return false;
    case VK_UP:
    case VK_DOWN:
        stepLevel(code == VK_UP ? 1 : -1);
        return false;
    case VK_RETURN:
        confirmChoice();
        return true;
    default:
        break;
    }
    const int digit = code >= VK_NUMPAD0 && code <= VK_NUMPAD0 + 9 ? code - VK_NUMPAD0
                      : code >= '0' && code <= '9'                 ? code - '0'
                                                                   : -1;
    if (digit >= ENGINE_LEVEL_MIN && digit <= ENGINE_LEVEL_MAX) stepLevel(digit - g_page.level);
    return false;
}

void setEngineFoldersOverride(const char* folders) {
    g_page.foldersOverridden = folders != nullptr;
    g_page.folders = folders ? folders : "";
}

const char* opponentLabel() {
    const OpponentChoice& c = opponentChoice();
    std::snprintf(g_page.label, sizeof g_page.label, "%s, level %d",
                  EngineDisplayName(c.engine.empty() ? BUILTIN_ENGINE_COMMAND : c.engine).c_str(),
                  c.level);
    return g_page.label;
}
