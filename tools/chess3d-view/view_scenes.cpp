// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/chess3d-view/view_scenes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <vector>

#include "engine/KivEngine.h"

namespace chess3dview {

namespace {

KNodeGraph* need(KScene* s, const char* name) {
    KNodeGraph* n = GetObjByName(s, name);
    if (!n) std::fprintf(stderr, "chess3d-view: no object \"%s\"\n", name);
    return n;
}

bool load(KScene* s, const char* path, KNodeGraph* parent = nullptr) {
    if (LoadSceneFromFILE(s, path, parent)) return true;
    std::fprintf(stderr, "chess3d-view: cannot load %s (run from the data folder)\n", path);
    return false;
}

void place(KNodeGraph* n, float x, float y, float z, float ax = 0, float ay = 0, float az = 0) {
    n->prs.SetPosition(x, y, z);
    n->prs.SetAngles(ax, ay, az);
}

KFont* makeFont(KScene* s, const char* path, const char* name, float size, float spacing) {
    auto* t = new KTexture(s);
    t->name = path;
    if (!t->LoadTexture(path)) return nullptr;
    t->CreateModifiedImg();
    t->SetupTexture();
    auto* f = new KFont(s);
    f->name = name;
    f->SetTexture(t);
    f->BuildFontLists(16, 16, size, spacing);
    return f;
}

void text(KScene* s, KFont* f, const char* str, int x, int y, float r = 1, float g = 1,
          float b = 1) {
    auto* t = new KTexte();
    t->font = f;
    t->SetTexte(str);
    t->x = x;
    t->y = y;
    t->r = r, t->g = g, t->b = b;
    t->visible = 1;
    s->AddTexte(t);
}

// The heads-up objects with the game's places (under the camera) and sample texts written
// where the game writes its own, to check that panels and texts agree.
bool addHud(KScene* s, KNodeGraph* camera, const std::string& list) {
    if (!load(s, ".\\M3D\\Option.m3d")) return false;
    KFont* classic = makeFont(s, ".\\textures\\font.bmp", "ClassicFont", 16, -4.5f);
    KFont* chat = makeFont(s, ".\\textures\\chatfont.bmp", "ChatFont", 12, 0);
    if (!classic || !chat) return false;
    struct Place {
        const char* name;
        float x, y, z;
    };
    const Place places[] = {{"load", 0, 0, -2.0f},
                            {"save", 0, 0, -2.0f},
                            {"client", 0, 0, -2.0f},
                            {"selectionBar", 0, 0.2837f, -1.8f},
                            {"selectionOK", 0.455f, 0.481f, -1.8f},
                            {"turn", 1.352f, 0.926f, -2.0f},
                            {"player", -1.69f, 1.2f, -2.5f},
                            {"pause", 1.352f, 1.015f, -2.0f},
                            {"cadreTurn", 1.69f, 1.2f, -2.5f},
                            {"info", 0, 0.7f, -1.8f},
                            {"request", 0, 0, -2.0f},
                            {"chat", 0, -1.0f, -2.0f},
                            {"windowBar", 0, 1.101f, -2.0f}};
    // Everything of the option file stays out of sight unless listed.
    for (const char* n :
         {"load", "save", "client", "selectionBar", "selectionOK", "turn", "player", "pause",
          "pauseBoule", "cadreTurn", "info", "request", "chat", "windowBar", "quit"})
        if (KNodeGraph* o = GetObjByName(s, n)) o->hidden = 1;
    std::stringstream ss(list);
    std::string item;
    while (std::getline(ss, item, ',')) {
        if (item == "intro" || item == "support") { // the intro's title and closing panel
            if (!GetObjByName(s, "intro") && !load(s, ".\\M3D\\intro.m3d")) return false;
            KNodeGraph* o = need(s, item.c_str());
            if (!o) return false;
            o->InsertAsChildOf(camera);
            place(o, 0, 0, -1.2f);
            o->hidden = 0;
            continue;
        }
        for (const Place& p : places) {
            if (item != p.name) continue;
            KNodeGraph* o = need(s, p.name);
            if (!o) return false;
            o->InsertAsChildOf(camera);
            place(o, p.x, p.y, p.z);
            o->hidden = 0;
        }
        if (item == "load" || item == "save") {
            const char* files[] = {"opening-study", "sicilian",      "endgame-rook", "club-night",
                                   "vs-computer-1", "vs-computer-2", "blitz",        "long-game",
                                   "friday",        "lesson-3",      "last"};
            int n = item == "load" ? 11 : 10;
            for (int i = 0; i < n; ++i)
                text(s, classic, files[i], 260, 210 + 20 * i);
            if (item == "save") text(s, classic, "my game_", 260, 436);
        } else if (item == "client") {
            text(s, classic, "192.168.1.20_", 330, 315);
        } else if (item == "info") {
            text(s, classic, "1/2-1/2 {Draw by fifty move rule}", 272, 110);
        } else if (item == "request") {
            text(s, classic, "Asking a new game", 272, 285);
            text(s, classic, "are you sure ?", 272, 305);
        } else if (item == "chat") {
            text(s, chat, ">hello, good game_", 25, 573);
            text(s, chat, ">thanks, you too", 25, 561, 0.4f, 0.6f, 1.0f);
            text(s, chat, ">shall we play another one?", 25, 549);
        }
    }
    return true;
}

// The quit banner as the game rebuilds it: a 33 x 33 flag of material "quit" under the wall
// at (3.5, 16.5, 0), turned (90, 0, 0), scale 3, in its first waved pose.
bool addQuitBanner(KScene* s, KNodeGraph* wall) {
    if (!load(s, ".\\M3D\\Option.m3d")) return false;
    KNodeGraph* quit = need(s, "quit");
    KMaterial* mat = GetMatByName(s, "quit");
    if (!quit || !mat || !quit->AsObject()) return false;
    for (const char* n :
         {"load", "save", "client", "selectionBar", "selectionOK", "turn", "player", "pause",
          "pauseBoule", "cadreTurn", "info", "request", "chat", "windowBar"})
        if (KNodeGraph* o = GetObjByName(s, n)) o->hidden = 1;
    quit->InsertAsChildOf(wall);
    place(quit, 3.5f, 16.5f, 0, 90, 0, 0);
    quit->prs.SetScale(3.0f);
    KMesh* m = quit->AsObject()->mesh;
    m->Clear();
    const float k = 0.098171875f;
    for (int r = 0; r <= 32; ++r)
        for (int c = 0; c <= 32; ++c)
            m->addVert(
                {-1.28f + 0.08f * c, -1.28f + 0.08f * r, 0.3f * std::sin(k * c) * std::cos(k * r)},
                {0, 0, 0}, {1, 1, 1, 1}, {1, 1, 1, 1});
    for (int r = 0; r < 32; ++r)
        for (int c = 0; c < 32; ++c) {
            int v = r * 33 + c;
            float u0 = c / 32.0f, u1 = (c + 1) / 32.0f, v0 = 1 - r / 32.0f,
                  v1 = 1 - (r + 1) / 32.0f;
            KFace f;
            f.initFace();
            f.SetMaterial(mat);
            f.SetVertsRef(v, v + 1, v + 34);
            f.SetUV(0, u0, v0), f.SetUV(1, u1, v0), f.SetUV(2, u1, v1);
            m->addFace(f);
            f.SetVertsRef(v, v + 34, v + 33);
            f.SetUV(0, u0, v0), f.SetUV(1, u1, v1), f.SetUV(2, u0, v1);
            m->addFace(f);
        }
    m->ComputeMissingNormals();
    m->changed = 1;
    quit->hidden = 0;
    return true;
}

// The camera framing the drawn objects of `mine` from the options' angles, with a key light
// and a fill light unless the decor lights them.
// `fitDegrees` is the half angle the objects' bounding sphere takes of the view (30 fills it).
KNodeGraph* frameObjects(KScene* s, const std::vector<KNodeGraph*>& mine, const char* what,
                         const ViewOptions& opt, float fitDegrees = 26) {
    // Frame what is drawn: bounding sphere of the visible mesh vertices.
    KUpdateWorld(s->root);
    KVector lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
    for (KNodeGraph* n : mine) {
        KObject* o = n->AsObject();
        if (!o || !o->mesh || !n->IsDrawn()) continue;
        for (const KVertex& vx : o->mesh->verts) {
            KVector p = n->world.TransformPoint(vx.pos);
            lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
            hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
        }
    }
    if (lo.x > hi.x) {
        std::fprintf(stderr, "chess3d-view: nothing to show in %s\n", what);
        return nullptr;
    }
    KVector centre = (lo + hi) * 0.5f, half = (hi - lo) * 0.5f;
    float radius = std::sqrt(half.Dot(half));
    float dist = opt.distance > 0 ? opt.distance : radius / std::sin(fitDegrees * 3.14159f / 180);
    auto* cam = new KCamera(s);
    cam->InsertAsChildOf(s->root);
    cam->farDist = 2000;
    KMatrix r;
    r.RotateYXZMatrix(opt.pitch * 0.017453292f, opt.yaw * 0.017453292f, 0);
    KVector fwd = r.TransformDir({0, 0, -1});
    KVector eye = centre - fwd * dist;
    place(cam, eye.x, eye.y, eye.z, opt.pitch, opt.yaw, 0);
    cam->nearDist = std::max(0.01f, dist - radius * 1.5f) * 0.5f;
    if (!opt.decor) { // a key light above left and a cooler fill from the right
        auto* key = new KLight(s);
        key->InsertAsChildOf(s->root);
        KVector kp = centre + r.TransformDir({-1.2f, 1.6f, 0.8f}) * (dist * 1.2f);
        place(key, kp.x, kp.y, kp.z);
        key->ambient = {0.25f, 0.25f, 0.25f, 1};
        auto* fill = new KLight(s);
        fill->InsertAsChildOf(s->root);
        KVector fp = centre + r.TransformDir({1.5f, 0.3f, 0.6f}) * (dist * 1.2f);
        place(fill, fp.x, fp.y, fp.z);
        fill->diffuse = {0.45f, 0.5f, 0.6f, 1};
    }
    return cam;
}

} // namespace

KNodeGraph* buildBoardScene(KScene* s, const ViewOptions& opt) {
    // The board as the game lays it out at start-up.
    KShell* root = s->root;
    if (!load(s, ".\\M3D\\Decor.m3d", root) || !load(s, ".\\M3D\\Case.m3d")) return nullptr;
    auto* pivot = new KShell(s);
    pivot->InsertAsChildOf(root);
    KNodeGraph* camera = need(s, "camera");
    if (!camera) return nullptr;
    camera->InsertAsChildOf(root);
    const float views[4][6] = {{3.5f, 5, 9.5f, -45, 0, 0},
                               {3.5f, 5, -2.5f, -45, 179.9f, 0},
                               {9.5f, 5, 3.5f, -45, 90, 0},
                               {-2.5f, 5, 3.5f, -45, -90, 0}};
    const float* v = views[opt.view & 3];
    place(camera, v[0], v[1], v[2], v[3], v[4], v[5]);
    if (opt.freeCamera)
        place(camera, opt.eye[0], opt.eye[1], opt.eye[2], opt.look[0], opt.look[1], 0);
    auto* board = new KShell(s);
    board->InsertAsChildOf(pivot);
    auto* lp1 = new KShell(s);
    lp1->InsertAsChildOf(board);
    place(lp1, 8, 2, 3.5f); // where the light set-up leaves it before it circles
    auto* lp2 = new KShell(s);
    lp2->InsertAsChildOf(board);
    place(lp2, 3.5f, 10, 3.5f);
    KNodeGraph* l1 = need(s, "light");
    KNodeGraph* l2 = need(s, "light2");
    KNodeGraph* caseR = need(s, "caseR");
    KNodeGraph* caseB = need(s, "caseB");
    if (!l1 || !l2 || !caseR || !caseB) return nullptr;
    l1->InsertAsChildOf(lp1);
    place(l1, 0, 0, 0);
    l2->InsertAsChildOf(lp2);
    place(l2, 0, 0, 0);
    caseR->InsertAsChildOf(nullptr);
    caseB->InsertAsChildOf(nullptr);
    KNodeGraph* squares[64];
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            KNodeGraph* sq = CopyNode((r + c) % 2 == 0 ? caseR : caseB, true);
            sq->tag = 1;
            sq->InsertAsChildOf(board);
            place(sq, float(c), 0, float(r));
            squares[r * 8 + c] = sq;
        }
    for (const char* m : {"caseSelectB", "caseSelectN", "caseDestN", "caseDestB"}) {
        KNodeGraph* n = need(s, m);
        if (!n) return nullptr;
        n->InsertAsChildOf(camera);
    }
    if (opt.marks) { // White has picked the e2 pawn and aims at e4
        need(s, "caseSelectB")->InsertAsChildOf(squares[52]);
        need(s, "caseDestB")->InsertAsChildOf(squares[36]);
    }
    if (!load(s, ".\\M3D\\echiquier.m3d")) return nullptr;
    if (KNodeGraph* e = need(s, "echiq")) e->InsertAsChildOf(pivot);
    if (!load(s, ".\\M3D\\ChessBoardN.M3D") || !load(s, ".\\M3D\\ChessBoardB.M3D")) return nullptr;
    // Back ranks: rook, knight, bishop, queen, king, bishop, knight, rook.
    const char* back[8] = {"tour", "cava", "fou", "dame", "roi", "fou", "cava", "tour"};
    for (int colour = 0; colour < 2; ++colour) {
        const char* suffix = colour == 0 ? "B" : "N";
        int backRow = colour == 0 ? 7 : 0, pawnRow = colour == 0 ? 6 : 1;
        for (int c = 0; c < 8; ++c) {
            KNodeGraph* piece = CopyNode(need(s, (std::string("pion") + suffix).c_str()), true);
            piece->InsertAsChildOf(squares[pawnRow * 8 + c]);
            piece = CopyNode(need(s, (std::string(back[c]) + suffix).c_str()), true);
            piece->InsertAsChildOf(squares[backRow * 8 + c]);
        }
    }
    // The glow along the circling light's path, loaded by the light set-up.
    if (!load(s, ".\\M3D\\animCircle.m3d")) return nullptr;
    for (const char* stem : {"pion", "tour", "cava", "fou", "dame", "roi"})
        for (const char* suffix : {"B", "N"})
            need(s, (std::string(stem) + suffix).c_str())->hidden = 1; // originals unused
    if (!opt.hud.empty() && !addHud(s, camera, opt.hud)) return nullptr;
    return camera;
}

KNodeGraph* buildModelScene(KScene* s, const std::string& file, const ViewOptions& opt) {
    if (opt.decor && !load(s, ".\\M3D\\Decor.m3d")) return nullptr;
    size_t first = s->nodes.size();
    if (!load(s, file.c_str())) return nullptr;
    std::vector<KNodeGraph*> mine(s->nodes.begin() + first, s->nodes.end());
    if (!opt.object.empty()) {
        KNodeGraph* keep = need(s, opt.object.c_str());
        if (!keep) return nullptr;
        for (KNodeGraph* n : mine)
            if (n->parent == s->root && n != keep) n->hidden = 1;
        keep->hidden = 0;
        place(keep, 0, 0, 0);
    }
    return frameObjects(s, mine, file.c_str(), opt);
}

KNodeGraph* buildIconScene(KScene* s, const ViewOptions& opt) {
    // The black king behind the white knight, the knight turned to show its profile.
    const size_t first = s->nodes.size();
    if (!load(s, ".\\M3D\\ChessBoardN.M3D") || !load(s, ".\\M3D\\ChessBoardB.M3D")) return nullptr;
    std::vector<KNodeGraph*> mine(s->nodes.begin() + first, s->nodes.end());
    KNodeGraph* knight = need(s, "cavaB");
    KNodeGraph* king = need(s, "roiN");
    if (!knight || !king) return nullptr;
    for (KNodeGraph* n : mine)
        if (n->parent == s->root) n->hidden = 1;
    knight->hidden = king->hidden = 0;
    place(king, 0.2f, king->prs.pos.y, -0.22f);
    place(knight, -0.22f, knight->prs.pos.y, 0.2f, 0, 15, 0);
    return frameObjects(s, mine, "the icon's pieces", opt, 33);
}

KNodeGraph* buildWallScene(KScene* s, const ViewOptions& opt) {
    // The option menu's wall as the game builds it, at rest on one page, with the lens and
    // the highlight of the entry under the pointer when a pointer is given.
    if (!load(s, ".\\M3D\\Decor.m3d") || !load(s, ".\\M3D\\BasicCubes.m3d")) return nullptr;
    if (KNodeGraph* t = GetObjByName(s, "table")) t->hidden = 1;
    KNodeGraph* cube = need(s, "basicCube");
    KNodeGraph* lightNode = need(s, "cubelight");
    if (!cube || !lightNode) return nullptr;
    cube->InsertAsChildOf(nullptr);
    auto* wall = new KShell(s);
    wall->InsertAsChildOf(s->root);
    float angles[3] = {0, 0, 0};
    const char* stem = "general";
    switch (opt.page) {
    case 1:
        angles[0] = 90, stem = "newgame";
        break;
    case 10:
        angles[2] = 90, stem = "multiplayer";
        break;
    case 3:
        angles[0] = -90, stem = "color";
        break;
    case 11: // the computer's page (its engine and level)
        angles[0] = 180, stem = "computer";
        break;
    default:
        break;
    }
    bool pointer = opt.pointerX < 1e8f;
    bool away = opt.page == 2 || opt.page == 4 || opt.page == 5 || opt.page == 6 || opt.page == 7;
    if (away) angles[0] = angles[1] = 0, angles[2] = -90;
    for (int i = 0; i < 16; ++i)
        for (int j = 0; j < 8; ++j) {
            KNodeGraph* c = CopyNode(cube, true);
            c->InsertAsChildOf(wall);
            float x = float(i - 4), z = float(j - 3), y = 16, scale = 0.8f;
            if (away) { // where the turn to a sub-page leaves the cubes
                float k = std::cos((x - 3.5f) * 0.3f) * std::cos(z * 0.3f);
                bool up = opt.page == 6 || opt.page == 7;
                y = up ? 16 + 2.6f * k : 16 - 2.6f * k;
                scale = up ? std::max(k, 0.2f) : std::clamp(k, 0.2f, 0.8f);
            } else if (pointer) { // the lens
                float f = std::cos((x - opt.pointerX) * 0.2f) *
                          std::cos((z - opt.pointerZ) * 0.2f) * 1.2f;
                scale = f > 1.0f ? 1.0f : f <= 0.3f ? 0.3f : f;
                y = 16 - 1.3f * f;
            }
            place(c, x, y, z, angles[0], angles[1], angles[2]);
            c->prs.SetScale(scale);
            KMesh* m = c->AsObject()->mesh;
            for (KFace& f : m->faces)
                for (int k = 0; k < 3; ++k)
                    f.SetUV(k, (i + f.uv[k].u) / 16.0f, (j + f.uv[k].v) / 8.0f);
            m->changed = 1;
        }
    auto* holder = new KShell(s);
    holder->InsertAsChildOf(wall);
    place(holder, pointer ? opt.pointerX : 3.5f, 12, pointer ? opt.pointerZ : 0.5f);
    lightNode->InsertAsChildOf(holder);
    place(lightNode, 0, 0, 0);
    s->selectedLight = lightNode->AsLight();
    auto* sprite = new KSprite(s);
    sprite->InsertAsChildOf(lightNode);
    place(sprite, 0, 1, 0);
    sprite->width = sprite->height = 0.2f;
    sprite->mat = GetMatByName(s, "cubelightMat");
    if (opt.page == 7 && !addQuitBanner(s, wall)) return nullptr;
    if (pointer && !away) {
        // The hover table of the game (page, entry, x range, z range, picture rectangle).
        struct Region {
            int page, entry;
            float x0, x1, z0, z1;
            int rx, ry, rw, rh;
        };
        const Region regions[] = {{0, 1, -2.6f, 2.2f, 0.6f, 1.7f, 30, 151, 180, 45},
                                  {0, 2, 3.7f, 6.0f, 0.6f, 1.7f, 260, 151, 90, 45},
                                  {0, 5, 7.5f, 9.6f, 0.6f, 1.7f, 390, 151, 100, 45},
                                  {0, 6, -1.3f, 2.1f, -2.4f, -1.2f, 75, 36, 135, 50},
                                  {0, 7, 6.0f, 8.1f, -2.3f, -1.2f, 340, 36, 90, 50},
                                  {0, 8, 2.6f, 5.6f, -2.4f, -1.2f, 216, 36, 120, 50},
                                  {1, 3, -3.1f, 2.8f, -1.6f, -0.5f, 20, 66, 220, 50},
                                  {1, 10, 4.3f, 10.1f, -1.6f, -0.5f, 280, 66, 210, 50},
                                  {10, 3, -0.1f, 1.8f, -1.6f, -0.6f, 120, 71, 80, 40},
                                  {10, 4, 4.9f, 7.6f, -1.6f, -0.6f, 300, 71, 100, 40},
                                  {3, 1, -0.3f, 2.1f, -1.6f, -0.6f, 110, 66, 100, 50},
                                  {3, 0, 4.7f, 7.5f, -1.6f, -0.6f, 290, 66, 110, 50},
                                  {11, 1, -2.7f, -1.2f, -1.7f, -0.7f, 90, 36, 52, 38},
                                  {11, 2, -0.55f, 0.95f, -1.7f, -0.7f, 146, 36, 52, 38},
                                  {11, 3, 1.65f, 3.15f, -1.7f, -0.7f, 202, 36, 52, 38},
                                  {11, 4, 3.85f, 5.35f, -1.7f, -0.7f, 258, 36, 52, 38},
                                  {11, 5, 6.05f, 7.55f, -1.7f, -0.7f, 314, 36, 52, 38},
                                  {11, 6, 8.2f, 9.7f, -1.7f, -0.7f, 370, 36, 52, 38},
                                  {11, 11, -3.9f, -2.1f, 0.65f, 1.75f, 58, 97, 60, 40},
                                  {11, 12, 9.1f, 10.9f, 0.65f, 1.75f, 394, 97, 60, 40}};
        for (const Region& r : regions) {
            if (r.page != opt.page || !(r.x0 < opt.pointerX && opt.pointerX < r.x1 &&
                                        r.z0 < opt.pointerZ && opt.pointerZ < r.z1))
                continue;
            std::string plain = std::string(".\\textures\\Interfaces\\") + stem + ".jpg";
            std::string lit = std::string(".\\textures\\Interfaces\\") + stem + "select.jpg";
            KTexture* pic = GetTexByName(s, plain.c_str());
            auto* hl = new KTexture(s);
            if (!pic || !hl->LoadTexture(lit.c_str())) return nullptr;
            for (int row = r.ry; row < r.ry + r.rh; ++row)
                std::copy_n(hl->pixels.begin() + (row * 512 + r.rx) * 4, r.rw * 4,
                            pic->pixels.begin() + (row * 512 + r.rx) * 4);
            pic->dirty = 1;
            std::printf("pointer (%.2f, %.2f) hovers entry %d\n", opt.pointerX, opt.pointerZ,
                        r.entry);
            break;
        }
    }
    KNodeGraph* camera = need(s, "camera");
    if (!camera) return nullptr;
    camera->InsertAsChildOf(s->root);
    place(camera, 3.5f, 6, -4, 120, 0, 0);
    if (pointer && load(s, ".\\M3D\\mouse.m3d")) {
        // The pointer's window position, shown with the game's cursor for calibration shots.
        KMatrix view = camera->GetWorldMatrix().Inverse();
        KVector p = view.TransformPoint({opt.pointerX, 16, opt.pointerZ});
        float t = std::tan(30.0f * 0.017453292f), aspect = float(s->screenWidth) / s->screenHeight;
        auto* cursor = new KImage2D(s);
        cursor->mat = GetMatByName(s, "mouseMat");
        cursor->width = cursor->height = 30;
        cursor->x = int((1 + p.x / -p.z / (t * aspect)) * 0.5f * s->screenWidth);
        cursor->y = int((1 - p.y / -p.z / t) * 0.5f * s->screenHeight);
        std::printf("pointer at window pixel (%d, %d)\n", cursor->x, cursor->y);
    }
    return camera;
}

} // namespace chess3dview
