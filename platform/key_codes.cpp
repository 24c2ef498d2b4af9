// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/key_codes.h"

#include <SDL2/SDL.h>

namespace {

// Keys named by position. The punctuation follows the French Windows layout, whose characters
// the game's chat and name entry expect (188 ',?', 190 ';.', 191 ':/', 223 '!§').
struct ScanEntry {
    SDL_Scancode scan;
    int vk;
};
constexpr ScanEntry SCAN_TABLE[] = {
    {SDL_SCANCODE_BACKSPACE, 8},
    {SDL_SCANCODE_TAB, 9},
    {SDL_SCANCODE_RETURN, 13},
    {SDL_SCANCODE_KP_ENTER, 13},
    {SDL_SCANCODE_LSHIFT, 16},
    {SDL_SCANCODE_RSHIFT, 16},
    {SDL_SCANCODE_LCTRL, 17},
    {SDL_SCANCODE_RCTRL, 17},
    {SDL_SCANCODE_LALT, 18},
    {SDL_SCANCODE_RALT, 18},
    {SDL_SCANCODE_PAUSE, 19},
    {SDL_SCANCODE_CAPSLOCK, 20},
    {SDL_SCANCODE_ESCAPE, 27},
    {SDL_SCANCODE_SPACE, 32},
    {SDL_SCANCODE_PAGEUP, 33},
    {SDL_SCANCODE_PAGEDOWN, 34},
    {SDL_SCANCODE_END, 35},
    {SDL_SCANCODE_HOME, 36},
    {SDL_SCANCODE_LEFT, 37},
    {SDL_SCANCODE_UP, 38},
    {SDL_SCANCODE_RIGHT, 39},
    {SDL_SCANCODE_DOWN, 40},
    {SDL_SCANCODE_PRINTSCREEN, 44},
    {SDL_SCANCODE_INSERT, 45},
    {SDL_SCANCODE_DELETE, 46},
    {SDL_SCANCODE_LGUI, 91},
    {SDL_SCANCODE_RGUI, 92},
    {SDL_SCANCODE_APPLICATION, 93},
    {SDL_SCANCODE_KP_MULTIPLY, 106},
    {SDL_SCANCODE_KP_PLUS, 107},
    {SDL_SCANCODE_KP_MINUS, 109},
    {SDL_SCANCODE_KP_PERIOD, 110},
    {SDL_SCANCODE_KP_DIVIDE, 111},
    {SDL_SCANCODE_NUMLOCKCLEAR, 144},
    {SDL_SCANCODE_SCROLLLOCK, 145},
    {SDL_SCANCODE_RIGHTBRACKET, 186},  // '$'
    {SDL_SCANCODE_SEMICOLON, 186},     // a letter on AZERTY (caught above); ';' elsewhere
    {SDL_SCANCODE_EQUALS, 187},        // '='
    {SDL_SCANCODE_M, 188},             // ',' (a letter on QWERTY, caught above)
    {SDL_SCANCODE_COMMA, 190},         // ';'
    {SDL_SCANCODE_PERIOD, 191},        // ':'
    {SDL_SCANCODE_APOSTROPHE, 192},    // 'ù'
    {SDL_SCANCODE_MINUS, 219},         // ')'
    {SDL_SCANCODE_BACKSLASH, 220},     // '*'
    {SDL_SCANCODE_LEFTBRACKET, 221},   // '^'
    {SDL_SCANCODE_GRAVE, 222},         // '²'
    {SDL_SCANCODE_SLASH, 223},         // '!'
    {SDL_SCANCODE_NONUSBACKSLASH, 226} // '<'
};

} // namespace

int VirtualKeyFromSdl(int sdlKeycode, int sdlScancode) {
    // 1. Letters by what they type, so an AZERTY 'A' is 65 as on Windows.
    if (sdlKeycode >= 'a' && sdlKeycode <= 'z') return sdlKeycode - 'a' + 'A';
    if (sdlKeycode >= 'A' && sdlKeycode <= 'Z') return sdlKeycode;
    // 2. The top row gives digits whatever the layout puts on it.
    if (sdlScancode >= SDL_SCANCODE_1 && sdlScancode <= SDL_SCANCODE_9)
        return '1' + (sdlScancode - SDL_SCANCODE_1);
    if (sdlScancode == SDL_SCANCODE_0) return '0';
    // 3. Numeric pad digits 96-105.
    if (sdlScancode >= SDL_SCANCODE_KP_1 && sdlScancode <= SDL_SCANCODE_KP_9)
        return 97 + (sdlScancode - SDL_SCANCODE_KP_1);
    if (sdlScancode == SDL_SCANCODE_KP_0) return 96;
    // 4. F1-F12 112-123.
    if (sdlScancode >= SDL_SCANCODE_F1 && sdlScancode <= SDL_SCANCODE_F12)
        return 112 + (sdlScancode - SDL_SCANCODE_F1);
    // 5. Everything else by position.
    for (const ScanEntry& e : SCAN_TABLE)
        if (e.scan == sdlScancode) return e.vk;
    // 6. A letter scancode whose layout types something else (rare layouts): the QWERTY letter.
    if (sdlScancode >= SDL_SCANCODE_A && sdlScancode <= SDL_SCANCODE_Z)
        return 'A' + (sdlScancode - SDL_SCANCODE_A);
    return 0;
}
