// SPDX-License-Identifier: GPL-3.0-or-later
// assetgen <data folder>: writes the game's whole data tree (models, pictures, fonts, music,
// the game's sounds and the empty save folder) into the folder, the same bytes on every run.
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>

#include "tools/assetgen/computer_page.h"
#include "tools/assetgen/font_atlas.h"
#include "tools/assetgen/marks.h"
#include "tools/assetgen/models.h"
#include "tools/assetgen/music.h"
#include "tools/assetgen/names.h"
#include "tools/assetgen/pictures.h"
#include "tools/assetgen/sounds.h"
#include "tools/assetgen/textures.h"

namespace fs = std::filesystem;
using namespace assetgen;

namespace {

// ".\textures\x.jpg" -> "<dir>/textures/x.jpg"
std::string onDisk(const std::string& dir, std::string_view dataPath) {
    std::string p(dataPath);
    if (p.rfind(".\\", 0) == 0) p = p.substr(2);
    for (char& c : p)
        if (c == '\\') c = '/';
    return dir + "/" + p;
}

bool writePicture(const std::string& dir, const std::string& dataPath, const Image& img) {
    std::string path = onDisk(dir, dataPath);
    fs::create_directories(fs::path(path).parent_path());
    bool ok = dataPath.ends_with(".png")   ? writePng(path, img)
              : dataPath.ends_with(".bmp") ? writeBmp(path, img)
                                           : writeJpeg(path, img);
    if (!ok) std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: assetgen <data folder>\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::error_code ec;
    for (const char* sub : {"M3D", "textures/Interfaces", "textures/hud", "Zik", "Save"})
        fs::create_directories(fs::path(dir) / sub, ec);
    if (ec) {
        std::fprintf(stderr, "assetgen: cannot make folders in %s: %s\n", dir.c_str(),
                     ec.message().c_str());
        return 1;
    }
    Fonts fonts;
    if (!fonts.load()) {
        std::fprintf(stderr, "assetgen: DejaVu fonts not found (package fonts-dejavu-core)\n");
        return 1;
    }
    bool ok = true;
    for (const PicturePair& p : menuPictures(fonts)) {
        ok &= writePicture(dir, p.plainPath, p.plain);
        ok &= writePicture(dir, p.selectPath, p.select);
    }
    const PicturePair computer = computerPage(fonts);
    ok &= writePicture(dir, computer.plainPath, computer.plain);
    ok &= writePicture(dir, computer.selectPath, computer.select);
    const NamedPicture engines = enginePlates(fonts);
    ok &= writePicture(dir, engines.path, engines.image);
    for (const NamedPicture& p : panelPictures(fonts))
        ok &= writePicture(dir, p.path, p.image);
    for (const NamedPicture& p : materialPictures(fonts))
        ok &= writePicture(dir, p.path, p.image);
    for (const NamedPicture& p : markPictures())
        ok &= writePicture(dir, p.path, p.image);
    ok &= writePicture(dir, ".\\textures\\font.bmp", classicFontAtlas(fonts));
    ok &= writePicture(dir, ".\\textures\\chatfont.bmp", chatFontAtlas(fonts));

    ok &= writeDecor(dir) && writeCase(dir) && writeBoardFrame(dir) && writePieces(dir, false) &&
          writePieces(dir, true) && writeBasicCubes(dir) && writeOption(dir) && writeMouse(dir) &&
          writeIntro(dir) && writeAnimCircle(dir);
    ok &= writeWav(onDisk(dir, MUSIC_FILE), musicLoop(), MUSIC_RATE);
    for (int k = 0; k < int(std::size(SOUND_FILES)); ++k)
        ok &= writeWav(onDisk(dir, SOUND_FILES[k]), gameSound(GameSoundKind(k)), MUSIC_RATE);
    if (!ok) {
        std::fprintf(stderr, "assetgen: some files could not be written in %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
