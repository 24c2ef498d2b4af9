// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures: the game's JPEG, PNG and BMP files decode; other formats, JPEGs the decoder would
// mishandle and pictures larger than a texture can be are refused, and a refusal leaves the
// texture empty.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <stb/stb_image_write.h>
#include <string>
#include <vector>

#include "engine/KivEngine.h"

namespace {

using Bytes = std::vector<unsigned char>;

void append(void* context, void* data, int size) {
    auto* out = static_cast<Bytes*>(context);
    const auto* bytes = static_cast<const unsigned char*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

// An 8 x 8 picture with a diagonal, encoded as `format` ("jpg", "png", "bmp", "tga").
Bytes encoded(const std::string& format) {
    unsigned char rgb[8 * 8 * 3];
    for (int i = 0; i < 64; ++i)
        rgb[3 * i] = rgb[3 * i + 1] = rgb[3 * i + 2] = (i % 9 == 0) ? 255 : 20;
    Bytes out;
    if (format == "jpg") stbi_write_jpg_to_func(append, &out, 8, 8, 3, rgb, 90);
    if (format == "png") stbi_write_png_to_func(append, &out, 8, 8, 3, rgb, 8 * 3);
    if (format == "bmp") stbi_write_bmp_to_func(append, &out, 8, 8, 3, rgb);
    if (format == "tga") stbi_write_tga_to_func(append, &out, 8, 8, 3, rgb);
    return out;
}

// The JPEG with one more Huffman table, for a slot its scan never uses, that lists 300 symbols:
// more than the 256 a table holds.
Bytes withOversizedHuffmanTable(Bytes jpeg) {
    Bytes table = {0xFF, 0xC4, 0x01, 0x3F, 0x03}; // length 2 + 17 + 300, DC table slot 3
    for (int len = 1; len <= 16; ++len)
        table.push_back(len == 15 ? 45 : len == 16 ? 255 : 0);
    for (int i = 0; i < 300; ++i)
        table.push_back(static_cast<unsigned char>(i));
    jpeg.insert(jpeg.begin() + 2, table.begin(), table.end());
    return jpeg;
}

// The JPEG whose second component names quantization table 2, which the file never defines:
// the decoder would use whatever memory held.
Bytes withUndefinedQuantTable(Bytes jpeg) {
    for (size_t i = 0; i + 15 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) { // the frame: 3 components from i + 10
            jpeg[i + 15] = 2;
            break;
        }
    return jpeg;
}

// The PNG claiming `width` pixels per row (its header is not checksummed by the decoder).
Bytes pngWithWidth(Bytes png, unsigned width) {
    for (int k = 0; k < 4; ++k)
        png[16 + k] = static_cast<unsigned char>(width >> (8 * (3 - k)));
    return png;
}

TEST(Pictures, OnlyTheGamesFormatsWithinATexturesSizeAndARefusalLeavesItEmpty) {
    const struct {
        const char* what;
        Bytes bytes;
        bool decoded;
    } cases[] = {
        {"JPEG", encoded("jpg"), true},
        {"PNG", encoded("png"), true},
        {"BMP", encoded("bmp"), true},
        {"TGA: a format the game never uses", encoded("tga"), false},
        {"JPEG with a table of 300 symbols", withOversizedHuffmanTable(encoded("jpg")), false},
        {"JPEG using a table it never defines", withUndefinedQuantTable(encoded("jpg")), false},
        {"PNG of 9000 pixels a row", pngWithWidth(encoded("png"), 9000), false},
        {"nothing", Bytes(1, 0), false},
    };
    KScene scene;
    auto* t = new KTexture(&scene);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(t->LoadTextureFromMemory(cases[0].bytes.data(), int(cases[0].bytes.size())));
        EXPECT_EQ(t->LoadTextureFromMemory(c.bytes.data(), int(c.bytes.size())), c.decoded);
        if (c.decoded) {
            EXPECT_EQ(t->width, 8);
            EXPECT_EQ(t->pixels.size(), 8u * 8 * 4);
        } else {
            EXPECT_EQ(t->width, 0);
            EXPECT_TRUE(t->pixels.empty()) << "the earlier picture stayed";
        }
    }
}

TEST(Pictures, ANameThatIsNoPlainFileIsRefusedAtOnce) {
    // A model file names its pictures: a pipe nobody writes to, a device, a folder.
    const std::string fifo = "/tmp/chess3d-picture-fifo-" + std::to_string(getpid());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    KScene scene;
    auto* t = new KTexture(&scene);
    for (const std::string& name : {fifo, std::string("/dev/zero"), std::string("/tmp")})
        EXPECT_FALSE(t->LoadTexture(name.c_str())) << name;
    std::remove(fifo.c_str());
}

TEST(Pictures, AFontPictureReadLaterTakesItsAlphaFromBrightness) {
    const std::string path = "/tmp/chess3d-font-" + std::to_string(getpid()) + ".bmp";
    const Bytes bmp = encoded("bmp");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f && std::fwrite(bmp.data(), 1, bmp.size(), f) == bmp.size() && !std::fclose(f));
    KScene scene;
    auto* t = new KTexture(&scene);
    ASSERT_TRUE(t->LoadTextureLater(path.c_str()));
    t->CreateModifiedImg(); // not read for it: pixel 7 (rows bottom-up) is on the diagonal
    ASSERT_TRUE(t->pixels.empty() && t->GetPixels() && !std::remove(path.c_str()));
    EXPECT_EQ(std::vector<int>({t->pixels[28], t->pixels[31], t->pixels[0], t->pixels[3]}),
              std::vector<int>({255, 255, 255, 20}));
}

} // namespace
