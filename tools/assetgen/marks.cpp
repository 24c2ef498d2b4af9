// SPDX-License-Identifier: GPL-3.0-or-later
// The last-move, suggested-move and move-hint marks of the squares.
#include "tools/assetgen/marks.h"

#include "tools/assetgen/gltf_writer.h"
#include "tools/assetgen/image.h"
#include "tools/assetgen/mesh.h"

namespace assetgen {

namespace {

constexpr int MARK_PICTURE_SIZE = 128; // pixels; one picture spans one square

// Heights above the square's origin (its top face lies at -0.01): the tinted squares lowest,
// then the hints; the select and target marks lie at 0, above all of them.
constexpr float TILE_Y = -0.007f;
constexpr float SUGGEST_Y = -0.005f;
constexpr float HINT_Y = -0.003f;

// Dark core and pale rim: legible on the cream and on the dark green marble alike.
const Rgba HINT_DARK = rgb(0x14202a, 0.78f);
const Rgba HINT_PALE = rgb(0xf6f0de, 0.7f);

// A soft tint over the whole square with a stronger rim, white: the material gives the colour.
Image tile() {
    const float s = MARK_PICTURE_SIZE;
    Image img(MARK_PICTURE_SIZE, MARK_PICTURE_SIZE, {1, 1, 1, 0});
    img.roundRect(3, 3, s - 6, s - 6, 14, rgb(0xffffff, 0.42f));
    img.roundRect(3, 3, s - 6, s - 6, 14, rgb(0xffffff, 0.9f), 7);
    return img;
}

// The quiet-move dot: about a third of the square across.
Image dot() {
    const float c = MARK_PICTURE_SIZE / 2.0f;
    Image img(MARK_PICTURE_SIZE, MARK_PICTURE_SIZE, {1, 1, 1, 0});
    img.disc(c, c, 22, HINT_PALE);
    img.disc(c, c, 18.5f, HINT_DARK);
    return img;
}

// The capture ring: round the square's edge, where the piece standing there leaves it seen.
Image ring() {
    const float c = MARK_PICTURE_SIZE / 2.0f;
    Image img(MARK_PICTURE_SIZE, MARK_PICTURE_SIZE, {1, 1, 1, 0});
    img.ring(c, c, 62, 14, HINT_PALE);
    img.ring(c, c, 59.5f, 9, HINT_DARK);
    return img;
}

// A square of 1 x 1 facing up at height y, the picture's top towards -z.
Mesh squareQuad(float y) {
    Mesh m;
    const V3 up{0, 1, 0};
    const float h = 0.5f;
    uint32_t a = m.add({-h, y, -h}, up, {0, 0}), b = m.add({-h, y, h}, up, {0, 1});
    uint32_t c = m.add({h, y, h}, up, {1, 1}), d = m.add({h, y, -h}, up, {1, 0});
    m.tri(a, b, c);
    m.tri(a, c, d);
    return m;
}

MaterialDesc markMaterial(const char* name, const std::string& texture, int hex, float alpha) {
    MaterialDesc m;
    m.name = name;
    m.colour = {((hex >> 16) & 255) / 255.0f, ((hex >> 8) & 255) / 255.0f, (hex & 255) / 255.0f,
                alpha};
    m.texture = texture;
    m.unlit = true;
    m.blend = true;
    return m;
}

} // namespace

std::vector<NamedPicture> markPictures() {
    return {{tex::MARK_TILE, tile()}, {tex::MARK_DOT, dot()}, {tex::MARK_RING, ring()}};
}

void addMoveMarks(GltfWriter& w) {
    struct Mark {
        const char* object;
        const char* material;
        const std::string& texture;
        int hex;
        float alpha;
        float y;
    };
    // The last move in warm straw, the suggestion in violet: neither is the green, blue, amber
    // or red of the select and target marks, and both are tints, not bars.
    const Mark marks[] = {
        {"caseLastMove", "caseLastMoveMat", tex::MARK_TILE, 0xf3d35c, 0.75f, TILE_Y},
        {"caseSuggest", "caseSuggestMat", tex::MARK_TILE, 0xc77dff, 0.85f, SUGGEST_Y},
        {"caseMoveDot", "caseMoveDotMat", tex::MARK_DOT, 0xffffff, 1.0f, HINT_Y},
        {"caseMoveRing", "caseMoveRingMat", tex::MARK_RING, 0xffffff, 1.0f, HINT_Y},
    };
    for (const Mark& m : marks) {
        const int material = w.material(markMaterial(m.material, m.texture, m.hex, m.alpha));
        w.node(m.object, w.mesh(m.object, {{material, squareQuad(m.y)}}));
    }
}

} // namespace assetgen
