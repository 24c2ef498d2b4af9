// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The ten model files. Each writer returns false when its file cannot be written.

#include <string>

namespace assetgen {

// `dir` is the data root (the program's folder); files go to dir/M3D/.
[[nodiscard]] bool writeDecor(const std::string& dir);
[[nodiscard]] bool writeCase(const std::string& dir);
[[nodiscard]] bool writeBoardFrame(const std::string& dir);
[[nodiscard]] bool writePieces(const std::string& dir, bool white);
[[nodiscard]] bool writeBasicCubes(const std::string& dir);
[[nodiscard]] bool writeOption(const std::string& dir);
[[nodiscard]] bool writeMouse(const std::string& dir);
[[nodiscard]] bool writeIntro(const std::string& dir);
[[nodiscard]] bool writeAnimCircle(const std::string& dir);

} // namespace assetgen
