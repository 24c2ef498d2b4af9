// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every data file the game loads and every object, material and texture name it looks up in
// them. The generator writes them and the asset tests check them from this one list.

#include <array>
#include <string_view>

namespace assetgen {

enum class NameKind { Object, Material, Texture };

struct NameUse {
    std::string_view file; // model file as the game opens it, '\' as written
    NameKind kind;
    std::string_view name;
};

inline constexpr std::array<std::string_view, 10> MODEL_FILES = {
    ".\\M3D\\Decor.m3d",       ".\\M3D\\Case.m3d",        ".\\M3D\\echiquier.m3d",
    ".\\M3D\\ChessBoardN.M3D", ".\\M3D\\ChessBoardB.M3D", ".\\M3D\\BasicCubes.m3d",
    ".\\M3D\\Option.m3d",      ".\\M3D\\mouse.m3d",       ".\\M3D\\intro.m3d",
    ".\\M3D\\animCircle.m3d"};

using K = NameKind;
inline constexpr NameUse NAME_USES[] = {
    {".\\M3D\\Decor.m3d", K::Object, "dome"},
    {".\\M3D\\Decor.m3d", K::Object, "camera"},
    {".\\M3D\\Decor.m3d", K::Object, "light"},
    {".\\M3D\\Decor.m3d", K::Object, "light2"},
    {".\\M3D\\Case.m3d", K::Object, "caseR"},
    {".\\M3D\\Case.m3d", K::Object, "caseB"},
    {".\\M3D\\Case.m3d", K::Object, "caseSelectB"},
    {".\\M3D\\Case.m3d", K::Object, "caseSelectN"},
    {".\\M3D\\Case.m3d", K::Object, "caseDestB"},
    {".\\M3D\\Case.m3d", K::Object, "caseDestN"},
    {".\\M3D\\Case.m3d", K::Object, "caseLastMove"},
    {".\\M3D\\Case.m3d", K::Object, "caseSuggest"},
    {".\\M3D\\Case.m3d", K::Material, "caseSuggestMat"},
    {".\\M3D\\Case.m3d", K::Object, "caseMoveDot"},
    {".\\M3D\\Case.m3d", K::Object, "caseMoveRing"},
    {".\\M3D\\echiquier.m3d", K::Object, "echiq"},
    {".\\M3D\\ChessBoardN.M3D", K::Object, "pionN"},
    {".\\M3D\\ChessBoardN.M3D", K::Object, "dameN"},
    {".\\M3D\\ChessBoardN.M3D", K::Object, "roiN"},
    {".\\M3D\\ChessBoardN.M3D", K::Object, "fouN"},
    {".\\M3D\\ChessBoardN.M3D", K::Object, "cavaN"},
    {".\\M3D\\ChessBoardN.M3D", K::Object, "tourN"},
    {".\\M3D\\ChessBoardB.M3D", K::Object, "pionB"},
    {".\\M3D\\ChessBoardB.M3D", K::Object, "dameB"},
    {".\\M3D\\ChessBoardB.M3D", K::Object, "roiB"},
    {".\\M3D\\ChessBoardB.M3D", K::Object, "fouB"},
    {".\\M3D\\ChessBoardB.M3D", K::Object, "cavaB"},
    {".\\M3D\\ChessBoardB.M3D", K::Object, "tourB"},
    {".\\M3D\\BasicCubes.m3d", K::Object, "basicCube"},
    {".\\M3D\\BasicCubes.m3d", K::Object, "cubelight"},
    {".\\M3D\\BasicCubes.m3d", K::Material, "cubelightMat"},
    {".\\M3D\\BasicCubes.m3d", K::Texture, ".\\textures\\Interfaces\\general.jpg"},
    {".\\M3D\\BasicCubes.m3d", K::Texture, ".\\textures\\Interfaces\\newgame.jpg"},
    {".\\M3D\\BasicCubes.m3d", K::Texture, ".\\textures\\Interfaces\\multiplayer.jpg"},
    {".\\M3D\\BasicCubes.m3d", K::Texture, ".\\textures\\Interfaces\\color.jpg"},
    {".\\M3D\\BasicCubes.m3d", K::Texture, ".\\textures\\Interfaces\\computer.jpg"},
    {".\\M3D\\BasicCubes.m3d", K::Texture, ".\\textures\\request.jpg"},
    {".\\M3D\\Option.m3d", K::Object, "load"},
    {".\\M3D\\Option.m3d", K::Object, "save"},
    {".\\M3D\\Option.m3d", K::Object, "client"},
    {".\\M3D\\Option.m3d", K::Object, "quit"},
    {".\\M3D\\Option.m3d", K::Object, "info"},
    {".\\M3D\\Option.m3d", K::Object, "request"},
    {".\\M3D\\Option.m3d", K::Object, "turn"},
    {".\\M3D\\Option.m3d", K::Object, "player"},
    {".\\M3D\\Option.m3d", K::Object, "pause"},
    {".\\M3D\\Option.m3d", K::Object, "pauseBoule"},
    {".\\M3D\\Option.m3d", K::Object, "cadreTurn"},
    {".\\M3D\\Option.m3d", K::Object, "selectionBar"},
    {".\\M3D\\Option.m3d", K::Object, "selectionOK"},
    {".\\M3D\\Option.m3d", K::Object, "chat"},
    {".\\M3D\\Option.m3d", K::Object, "windowBar"},
    {".\\M3D\\Option.m3d", K::Material, "load"},
    {".\\M3D\\Option.m3d", K::Material, "save"},
    {".\\M3D\\Option.m3d", K::Material, "client"},
    {".\\M3D\\Option.m3d", K::Material, "quit"},
    {".\\M3D\\Option.m3d", K::Material, "info"},
    {".\\M3D\\Option.m3d", K::Material, "request"},
    {".\\M3D\\Option.m3d", K::Material, "selectionMater"},
    {".\\M3D\\Option.m3d", K::Material, "water"},
    {".\\M3D\\mouse.m3d", K::Material, "mouseMat"},
    {".\\M3D\\intro.m3d", K::Object, "intro"},
    {".\\M3D\\intro.m3d", K::Object, "support"},
    {".\\M3D\\intro.m3d", K::Material, "intro"},
    {".\\M3D\\intro.m3d", K::Material, "support"},
};

// Pictures the game reads as files (beside those the models name), with their sizes.
struct PictureFile {
    std::string_view path;
    int width, height;
};
inline constexpr PictureFile PICTURE_FILES[] = {
    {".\\textures\\Interfaces\\general.jpg", 512, 256},
    {".\\textures\\Interfaces\\generalselect.jpg", 512, 256},
    {".\\textures\\Interfaces\\newgame.jpg", 512, 256},
    {".\\textures\\Interfaces\\newgameselect.jpg", 512, 256},
    {".\\textures\\Interfaces\\multiplayer.jpg", 512, 256},
    {".\\textures\\Interfaces\\multiplayerselect.jpg", 512, 256},
    {".\\textures\\Interfaces\\color.jpg", 512, 256},
    {".\\textures\\Interfaces\\colorselect.jpg", 512, 256},
    {".\\textures\\Interfaces\\computer.jpg", 512, 256},
    {".\\textures\\Interfaces\\computerselect.jpg", 512, 256},
    {".\\textures\\request.jpg", 256, 128},
    {".\\textures\\requestselect.jpg", 256, 128},
    {".\\textures\\font.bmp", 512, 512},
    {".\\textures\\chatfont.bmp", 512, 512},
};

inline constexpr std::string_view MUSIC_FILE = ".\\Zik\\3.wav";

// The short sounds of the game, in the order of assetgen::GameSoundKind (the game loads them by
// these names, anim/move_sounds.cpp).
inline constexpr std::string_view SOUND_FILES[] = {
    ".\\Zik\\move.wav", ".\\Zik\\capture.wav", ".\\Zik\\check.wav",
    ".\\Zik\\mate.wav", ".\\Zik\\refused.wav", ".\\Zik\\chat.wav",
};

// The highlight rectangles of the menu pages and the request picture: x, y, width, height in
// the picture's bottom-up pixel buffer (row 0 is the bottom row as seen).
struct Highlight {
    std::string_view picture; // plain picture; the select one adds "select" before ".jpg"
    int entry;                // menu entry, or request button 0 accept / 1 refuse
    int x, y, w, h;
};
inline constexpr Highlight HIGHLIGHTS[] = {
    {".\\textures\\Interfaces\\general.jpg", 1, 30, 151, 180, 45},
    {".\\textures\\Interfaces\\general.jpg", 2, 260, 151, 90, 45},
    {".\\textures\\Interfaces\\general.jpg", 5, 390, 151, 100, 45},
    {".\\textures\\Interfaces\\general.jpg", 6, 75, 36, 135, 50},
    {".\\textures\\Interfaces\\general.jpg", 7, 340, 36, 90, 50},
    {".\\textures\\Interfaces\\general.jpg", 8, 216, 36, 120, 50}, // resign
    {".\\textures\\Interfaces\\newgame.jpg", 3, 20, 66, 220, 50},
    {".\\textures\\Interfaces\\newgame.jpg", 10, 280, 66, 210, 50},
    {".\\textures\\Interfaces\\multiplayer.jpg", 3, 120, 71, 80, 40},
    {".\\textures\\Interfaces\\multiplayer.jpg", 4, 300, 71, 100, 40},
    {".\\textures\\Interfaces\\color.jpg", 1, 110, 66, 100, 50},
    {".\\textures\\Interfaces\\color.jpg", 0, 290, 66, 110, 50},
    // The computer page: the levels 1 to 6, the previous (11) and next (12) engine.
    {".\\textures\\Interfaces\\computer.jpg", 1, 90, 36, 52, 38},
    {".\\textures\\Interfaces\\computer.jpg", 2, 146, 36, 52, 38},
    {".\\textures\\Interfaces\\computer.jpg", 3, 202, 36, 52, 38},
    {".\\textures\\Interfaces\\computer.jpg", 4, 258, 36, 52, 38},
    {".\\textures\\Interfaces\\computer.jpg", 5, 314, 36, 52, 38},
    {".\\textures\\Interfaces\\computer.jpg", 6, 370, 36, 52, 38},
    {".\\textures\\Interfaces\\computer.jpg", 11, 58, 97, 60, 40},
    {".\\textures\\Interfaces\\computer.jpg", 12, 394, 97, 60, 40},
    {".\\textures\\request.jpg", 0, 30, 1, 70, 25},
    {".\\textures\\request.jpg", 1, 150, 1, 80, 25},
};

// The computer page's well, where the game pastes the chosen engine's name (bottom-up x, y, w,
// h), and the picture it takes the name from (ENGINE_WELL_W x ENGINE_WELL_H * ENGINE_PLATE_COUNT):
// ENGINE_PLATE_COUNT slots of the well's size, one under the other from the top, in the order
// "Built-in", KNOWN_UCI_ENGINES, then "Other engine" for any other command. A slot is the page's
// own well with that name in it, so pasting it leaves no seam.
inline constexpr int ENGINE_WELL_X = 128, ENGINE_WELL_Y = 102, ENGINE_WELL_W = 256,
                     ENGINE_WELL_H = 32;
inline constexpr std::string_view ENGINE_PLATES_FILE = ".\\textures\\Interfaces\\engines.jpg";
inline constexpr int ENGINE_PLATE_COUNT = 9;

} // namespace assetgen
