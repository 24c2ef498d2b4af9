// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The heads-up panels and signs (load, save and connect screens, info, chat, window bar,
// selection bar and OK mark, turn, player and pause signs), the intro and closing titles, the
// quit banner, the cursor and the glow sprite.

#include <string>
#include <vector>

#include "tools/assetgen/image.h"
#include "tools/assetgen/text.h"

namespace assetgen {

struct NamedPicture {
    std::string path; // texture name, e.g. ".\textures\hud\load.png"
    Image image;
};

std::vector<NamedPicture> panelPictures(const Fonts& fonts);

// Texture names of the pictures above, used by the models.
namespace tex {
inline const std::string LOAD = ".\\textures\\hud\\load.png";
inline const std::string SAVE = ".\\textures\\hud\\save.png";
inline const std::string CLIENT = ".\\textures\\hud\\client.png";
inline const std::string INFO = ".\\textures\\hud\\info.png";
inline const std::string CHAT = ".\\textures\\hud\\chat.png";
inline const std::string WINDOW_BAR = ".\\textures\\hud\\windowbar.png";
inline const std::string SELECTION = ".\\textures\\hud\\selection.png";
inline const std::string OK = ".\\textures\\hud\\ok.png";
inline const std::string TURN_WHITE = ".\\textures\\hud\\turnwhite.png";
inline const std::string TURN_BLACK = ".\\textures\\hud\\turnblack.png";
inline const std::string CADRE = ".\\textures\\hud\\cadreturn.png";
inline const std::string PLAYER_WHITE = ".\\textures\\hud\\playerwhite.png";
inline const std::string PLAYER_BLACK = ".\\textures\\hud\\playerblack.png";
inline const std::string PAUSE = ".\\textures\\hud\\pause.png";
inline const std::string INTRO = ".\\textures\\intro.png";
inline const std::string SUPPORT = ".\\textures\\support.png";
inline const std::string QUIT = ".\\textures\\quit.png";
inline const std::string MOUSE = ".\\textures\\mouse.png";
inline const std::string GLOW = ".\\textures\\glow.png";
} // namespace tex

} // namespace assetgen
