// SPDX-License-Identifier: GPL-3.0-or-later
// Menu wall cube, option objects, cursor, intro titles and the lights' circle.
#include <cmath>

#include "tools/assetgen/gltf_writer.h"
#include "tools/assetgen/hud_layout.h"
#include "tools/assetgen/models.h"
#include "tools/assetgen/panels.h"
#include "tools/assetgen/textures.h"

namespace assetgen {

namespace {

MaterialDesc picture(const std::string& name, const std::string& texture, float alpha = 1,
                     bool blend = true) {
    MaterialDesc m;
    m.name = name;
    m.texture = texture;
    m.colour = {1, 1, 1, alpha};
    m.unlit = true;
    m.blend = blend;
    return m;
}

// A heads-up quad covering the panel's window rectangle, relative to the object's place.
Mesh panelQuad(const hud::PanelRect& r) {
    return quad(hud::camX(r.x0, r.d) - r.ox, hud::camY(r.y1, r.d) - r.oy,
                hud::camX(r.x1, r.d) - r.ox, hud::camY(r.y0, r.d) - r.oy);
}

// A quad given by window offsets about the object's own centre (selection bar, OK mark).
Mesh centredQuad(const hud::PanelRect& r) {
    float s = hud::pixel(r.d);
    return quad(r.x0 * s, -r.y1 * s, r.x1 * s, -r.y0 * s);
}

// Front picture facing the camera and back picture facing away, for the signs that the game
// turns by 180 degrees about the vertical axis to show the other colour.
std::vector<Part> twoFaced(GltfWriter& w, const std::string& name, const Mesh& front,
                           const std::string& texFront, const std::string& texBack) {
    Mesh back = front;
    back.rotateY(3.14159265f);
    back.translate({0, 0, -0.001f});
    return {{w.material(picture(name + "White", texFront)), front},
            {w.material(picture(name + "Black", texBack)), back}};
}

// One face of the unit cube: four corners (counter-clockwise seen from outside), its normal
// and each corner's (u, v) in the engine's convention (v = 0 at the bottom of the picture).
void cubeFace(Mesh& m, const V3 c[4], V3 n, const V2 uvEngine[4]) {
    uint32_t i[4];
    for (int k = 0; k < 4; ++k)
        i[k] = m.add(c[k], n, {uvEngine[k].x, 1.0f - uvEngine[k].y});
    m.tri(i[0], i[1], i[2]);
    m.tri(i[0], i[2], i[3]);
}

} // namespace

bool writeBasicCubes(const std::string& dir) {
    GltfWriter w;
    // The wall turns every cube to show one page face down, towards the menu camera below it:
    // page 0 at angles (0,0,0) shows the -y face, page 1 at (90,0,0) the +z face, page 10 at
    // (0,0,90) the -x face, page 3 at (-90,0,0) the -z face, the computer's page at (180,0,0)
    // the +y face; the turned-away pose (0,0,-90) shows +x. On each page face u grows with world +x
    // and v with world +z once turned, the directions in which the wall lays out its tiles, so
    // every page reads the right way.
    const float h = 0.5f;
    auto P = [&](float x, float y, float z) { return V3{x * h, y * h, z * h}; };
    auto uvOf = [](const V3 c[4], auto f) {
        std::array<V2, 4> out;
        for (int k = 0; k < 4; ++k)
            out[k] = f(c[k]);
        return out;
    };
    Mesh general, newgame, multi, colour, computer, plain;
    { // -y: u = x, v = z
        V3 c[4] = {P(-1, -1, -1), P(1, -1, -1), P(1, -1, 1), P(-1, -1, 1)};
        auto uv = uvOf(c, [](V3 p) { return V2{p.x + 0.5f, p.z + 0.5f}; });
        cubeFace(general, c, {0, -1, 0}, uv.data());
    }
    { // +z: u = x, v = y
        V3 c[4] = {P(-1, -1, 1), P(1, -1, 1), P(1, 1, 1), P(-1, 1, 1)};
        auto uv = uvOf(c, [](V3 p) { return V2{p.x + 0.5f, p.y + 0.5f}; });
        cubeFace(newgame, c, {0, 0, 1}, uv.data());
    }
    { // -x: u = -y, v = z
        V3 c[4] = {P(-1, 1, -1), P(-1, -1, -1), P(-1, -1, 1), P(-1, 1, 1)};
        auto uv = uvOf(c, [](V3 p) { return V2{0.5f - p.y, p.z + 0.5f}; });
        cubeFace(multi, c, {-1, 0, 0}, uv.data());
    }
    { // -z: u = x, v = -y
        V3 c[4] = {P(-1, 1, -1), P(1, 1, -1), P(1, -1, -1), P(-1, -1, -1)};
        auto uv = uvOf(c, [](V3 p) { return V2{p.x + 0.5f, 0.5f - p.y}; });
        cubeFace(colour, c, {0, 0, -1}, uv.data());
    }
    { // +y: u = x, v = -z (turned by 180 degrees about x, local -z is world +z)
        V3 c[4] = {P(-1, 1, -1), P(-1, 1, 1), P(1, 1, 1), P(1, 1, -1)};
        auto uv = uvOf(c, [](V3 p) { return V2{p.x + 0.5f, 0.5f - p.z}; });
        cubeFace(computer, c, {0, 1, 0}, uv.data());
    }
    { // +x: the plain back of the tiles
        V3 c[4] = {P(1, -1, -1), P(1, 1, -1), P(1, 1, 1), P(1, -1, 1)};
        auto uv = uvOf(c, [](V3 p) { return V2{p.z + 0.5f, p.y + 0.5f}; });
        cubeFace(plain, c, {1, 0, 0}, uv.data());
    }
    // Lit by the menu's light under the pointer: the faces turned down catch it and glow
    // where the pointer is, the sides that show between the cubes stay dim.
    auto page = [&](const std::string& name, const std::string& texture) {
        MaterialDesc m;
        m.name = name;
        m.texture = texture;
        m.colour = {0.65f, 0.65f, 0.65f, 1};
        m.ambient = std::array<float, 3>{0.75f, 0.75f, 0.75f};
        m.specular = {0.1f, 0.1f, 0.1f};
        m.shininess = 24;
        return w.material(m);
    };
    std::vector<Part> parts = {
        {page("pageGeneral", ".\\textures\\Interfaces\\general.jpg"), general},
        {page("pageNewgame", ".\\textures\\Interfaces\\newgame.jpg"), newgame},
        {page("pageMultiplayer", ".\\textures\\Interfaces\\multiplayer.jpg"), multi},
        {page("pageColor", ".\\textures\\Interfaces\\color.jpg"), colour},
        {page("pageComputer", ".\\textures\\Interfaces\\computer.jpg"), computer},
        {page("cubeBack", tex::CUBE_BACK), plain}};
    w.node("basicCube", w.mesh("basicCube", parts));

    // Alone while the menu is open (the board's lights fade out): its ambient keeps the
    // whole page readable, its diffuse makes the part under the pointer glow.
    w.pointLight("cubelight", {0, 0, 0}, {1.0f, 0.85f, 0.6f}, 1.0f, {0.45f, 0.45f, 0.45f},
                 {1.0f, 0.85f, 0.6f});
    // The sprite that marks the pointer on the wall, and the request picture, which the
    // wall's build fetches as a scene texture before the option model is loaded. Both ride
    // on hidden quads so that the materials and the texture exist in the scene.
    MaterialDesc glow = picture("cubelightMat", tex::GLOW);
    glow.additive = true;
    glow.colour = {1.0f, 0.85f, 0.55f, 1};
    w.node("cubelightSprite",
           w.mesh("cubelightSprite", {{w.material(glow), quad(-0.1f, -0.1f, 0.1f, 0.1f)}}), {},
           {0, 0, 0, 1}, 1, -1, true);
    w.node("requestPicture",
           w.mesh("requestPicture",
                  {{w.material(picture("requestPicture", ".\\textures\\request.jpg", 1, false)),
                    quad(-0.5f, -0.25f, 0.5f, 0.25f)}}),
           {}, {0, 0, 0, 1}, 1, -1, true);
    return w.write(dir + "/M3D/BasicCubes.m3d");
}

bool writeOption(const std::string& dir) {
    GltfWriter w;
    auto panel = [&](const std::string& name, const std::string& texture, const hud::PanelRect& r,
                     float alpha) {
        w.node(name, w.mesh(name, {{w.material(picture(name, texture, alpha)), panelQuad(r)}}));
    };
    panel("load", tex::LOAD, hud::LOAD_PANEL, 0.75f);
    panel("save", tex::SAVE, hud::SAVE_PANEL, 0.75f);
    panel("client", tex::CLIENT, hud::CLIENT_PANEL, 0.75f);
    panel("info", tex::INFO, hud::INFO_PANEL, 0.8f);
    panel("request", ".\\textures\\request.jpg", hud::REQUEST_PANEL, 0.8f);
    panel("chat", tex::CHAT, hud::CHAT_PANEL, 0.7f);
    panel("windowBar", tex::WINDOW_BAR, hud::WINDOW_BAR, 0.92f);
    panel("cadreTurn", tex::CADRE, hud::CADRE_TURN, 1.0f);
    panel("pause", tex::PAUSE, hud::PAUSE_SIGN, 1.0f);

    w.node("selectionBar",
           w.mesh("selectionBar", {{w.material(picture("selectionMater", tex::SELECTION, 0.4f)),
                                    centredQuad(hud::SELECTION_BAR)}}));
    w.node("selectionOK", w.mesh("selectionOK", {{w.material(picture("selectionOKMat", tex::OK)),
                                                  centredQuad(hud::SELECTION_OK)}}));
    w.node("turn", w.mesh("turn", twoFaced(w, "turn", panelQuad(hud::TURN_SIGN), tex::TURN_WHITE,
                                           tex::TURN_BLACK)));
    w.node("player", w.mesh("player", twoFaced(w, "player", panelQuad(hud::PLAYER_SIGN),
                                               tex::PLAYER_WHITE, tex::PLAYER_BLACK)));

    // The pause ball floats over the board centre while the camera circles it.
    MaterialDesc chrome;
    chrome.name = "pauseBoule";
    chrome.colour = {0.75f, 0.78f, 0.85f, 1};
    chrome.specular = {1, 1, 1};
    chrome.shininess = 120;
    chrome.reflect = 0.6f;
    w.node("pauseBoule", w.mesh("pauseBoule", {{w.material(chrome), sphere(0.35f, 48, 24)}}));

    // The quit banner: the game rebuilds its mesh as a waving flag; this quad only carries
    // the material until then.
    MaterialDesc quit = picture("quit", tex::QUIT);
    quit.doubleSided = true;
    w.node("quit", w.mesh("quit", {{w.material(quit), quad(-1.28f, -1.28f, 1.28f, 1.28f)}}));

    // The water pool's material; the game builds the surface itself and colours its vertices.
    MaterialDesc water;
    water.name = "water";
    water.texture = tex::WATER;
    water.specular = {0.9f, 0.95f, 1.0f};
    water.shininess = 80;
    water.reflect = 0.35f;
    water.doubleSided = true;
    w.node("waterSample",
           w.mesh("waterSample", {{w.material(water), quad(-0.5f, -0.5f, 0.5f, 0.5f)}}), {},
           {0, 0, 0, 1}, 1, -1, true);
    return w.write(dir + "/M3D/Option.m3d");
}

bool writeMouse(const std::string& dir) {
    GltfWriter w;
    int mat = w.material(picture("mouseMat", tex::MOUSE));
    // The cursor is a 2D image using this material; the quad only holds it in the file.
    w.node("mouse", w.mesh("mouse", {{mat, quad(0, -0.1f, 0.1f, 0)}}), {}, {0, 0, 0, 1}, 1, -1,
           true);
    return w.write(dir + "/M3D/mouse.m3d");
}

bool writeIntro(const std::string& dir) {
    GltfWriter w;
    w.node("intro", w.mesh("intro", {{w.material(picture("intro", tex::INTRO, 0.7f)),
                                      panelQuad(hud::INTRO_TITLE)}}));
    w.node("support", w.mesh("support", {{w.material(picture("support", tex::SUPPORT, 0.9f)),
                                          panelQuad(hud::INTRO_TITLE)}}));
    return w.write(dir + "/M3D/intro.m3d");
}

bool writeAnimCircle(const std::string& dir) {
    GltfWriter w;
    // A faint ribbon of light along the path of the circling light (radius 15 round the
    // board centre at height 5), seen during the intro flight and the camera tour.
    Mesh ring;
    const int seg = 192;
    const float r = 15, half = 0.25f;
    for (int i = 0; i <= seg; ++i) {
        float a = 2 * 3.14159265f * i / seg, c = std::cos(a), s = std::sin(a);
        ring.add({(r - half) * c, 0, (r - half) * s}, {0, 1, 0}, {0, 0.5f});
        ring.add({(r + half) * c, 0, (r + half) * s}, {0, 1, 0}, {1, 0.5f});
    }
    for (int i = 0; i < seg; ++i) {
        uint32_t a = 2 * i, b = a + 1, c = a + 3, d = a + 2;
        ring.tri(a, b, c);
        ring.tri(a, c, d);
    }
    ring.translate({3.5f, 5, 3.5f});
    MaterialDesc glow = picture("animCircle", tex::GLOW);
    glow.additive = true;
    glow.doubleSided = true;
    glow.colour = {0.9f, 0.8f, 0.5f, 0.6f};
    w.node("animCircle", w.mesh("animCircle", {{w.material(glow), ring}}));
    return w.write(dir + "/M3D/animCircle.m3d");
}

} // namespace assetgen
