// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading the generated data tree in tests: files are found from the program's folder (the
// tests' working folder), the way the game finds them.

#include <string>
#include <string_view>

#include <tiny_gltf.h>

namespace assettest {

// ".\M3D\Case.m3d" -> "M3D/Case.m3d"
inline std::string diskPath(std::string_view dataPath) {
    std::string p(dataPath);
    if (p.rfind(".\\", 0) == 0) p = p.substr(2);
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}

// Loads a model file without its pictures (they are checked on their own); false with the
// loader's message in `err` when the file is missing or malformed.
inline bool loadModel(std::string_view dataPath, tinygltf::Model& model, std::string& err) {
    tinygltf::TinyGLTF loader;
    loader.SetImageLoader([](tinygltf::Image*, const int, std::string*, std::string*, int, int,
                             const unsigned char*, int, void*) { return true; },
                          nullptr);
    std::string warn;
    return loader.LoadBinaryFromFile(&model, &err, &warn, diskPath(dataPath));
}

} // namespace assettest
