// SPDX-License-Identifier: GPL-3.0-or-later
// The fuzzing build's copy of the parsers the engine calls: tinygltf (model files) and
// stb_image (pictures), from the same Debian headers the normal build's prebuilt libraries
// were made from. Compiled here, with coverage and the sanitizers, so that the harnesses reach
// into them; the normal build links Debian's libtinygltf and libstb instead.

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#define TINYGLTF_IMPLEMENTATION
#define TINYGLTF_NO_INCLUDE_STB_IMAGE
#define TINYGLTF_NO_INCLUDE_STB_IMAGE_WRITE
#include <tiny_gltf.h>
