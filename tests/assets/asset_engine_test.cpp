// SPDX-License-Identifier: GPL-3.0-or-later
// The data as the game's engine sees it: files loaded in the game's start-up order, every
// object, material and texture found by the engine's look-ups, pictures the sizes the menu
// copies from.
#include <gtest/gtest.h>

#include <string>

#include "engine/KivEngine.h"
#include "tools/assetgen/names.h"

using namespace assetgen;

namespace {

class EngineData : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        KivInitDLL();
        scene_ = CreateScene();
    }
    static KScene* scene_;
};
KScene* EngineData::scene_ = nullptr;

int load(KScene* s, std::string_view file) {
    return LoadSceneFromFILE(s, std::string(file).c_str(), nullptr);
}

} // namespace

TEST_F(EngineData, StartUpOrderFindsEveryName) {
    // The wall's build takes the request picture from the scene before the option model is
    // loaded, and copies 512 x 256 and 256 x 128 pixel buffers from the page pictures.
    for (auto file : {".\\M3D\\Decor.m3d", ".\\M3D\\Case.m3d", ".\\M3D\\echiquier.m3d",
                      ".\\M3D\\ChessBoardN.M3D", ".\\M3D\\ChessBoardB.M3D", ".\\M3D\\mouse.m3d",
                      ".\\M3D\\BasicCubes.m3d"})
        ASSERT_EQ(load(scene_, file), 1) << file;
    KTexture* request = GetTexByName(scene_, ".\\textures\\request.jpg");
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->width, 256);
    EXPECT_EQ(request->height, 128);
    EXPECT_EQ(request->pixels.size(), 131072u);
    for (const char* page : {"general", "newgame", "multiplayer", "color"}) {
        std::string name = std::string(".\\textures\\Interfaces\\") + page + ".jpg";
        KTexture* t = GetTexByName(scene_, name.c_str());
        ASSERT_NE(t, nullptr) << name;
        EXPECT_EQ(t->pixels.size(), 524288u) << name;
    }
    for (auto file : {".\\M3D\\Option.m3d", ".\\M3D\\animCircle.m3d", ".\\M3D\\intro.m3d"})
        ASSERT_EQ(load(scene_, file), 1) << file;

    for (const NameUse& use : NAME_USES) {
        std::string name(use.name);
        switch (use.kind) {
        case NameKind::Object:
            EXPECT_NE(GetObjByName(scene_, name.c_str()), nullptr) << name;
            break;
        case NameKind::Material:
            EXPECT_NE(GetMatByName(scene_, name.c_str()), nullptr) << name;
            break;
        case NameKind::Texture:
            EXPECT_NE(GetTexByName(scene_, name.c_str()), nullptr) << name;
            break;
        }
    }
    // Every texture of every file can be read from disk (pictures are read when first needed).
    for (KTexture* t : scene_->textures)
        EXPECT_TRUE(t->KeepPixels() && !t->pixels.empty()) << t->name;
}
