#pragma once
// Procedural material pictures: woods, marbles, the star sky, the floor and the water.

#include <string>
#include <vector>

#include "tools/assetgen/panels.h"

namespace assetgen {

std::vector<NamedPicture> materialPictures(const Fonts& fonts);

namespace tex {
inline const std::string WOOD = ".\\textures\\wood.jpg";
inline const std::string FRAME = ".\\textures\\frame.jpg";
inline const std::string MARBLE_LIGHT = ".\\textures\\marblelight.jpg";
inline const std::string MARBLE_DARK = ".\\textures\\marbledark.jpg";
inline const std::string STARS = ".\\textures\\stars.jpg";
inline const std::string FLOOR = ".\\textures\\floor.jpg";
inline const std::string WATER = ".\\textures\\water.jpg";
inline const std::string CUBE_BACK = ".\\textures\\cubeback.jpg";
} // namespace tex

} // namespace assetgen
