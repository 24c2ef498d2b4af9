// SPDX-License-Identifier: GPL-3.0-or-later
// SDL keys to Windows virtual-key codes: the codes the game's key handlers and text entry read.

#include "platform/key_codes.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

namespace {

struct Case {
    SDL_Keycode sym;
    SDL_Scancode scan;
    int vk;
    const char* what;
};

void checkAll(const Case* cases, size_t n) {
    for (size_t i = 0; i < n; ++i)
        EXPECT_EQ(VirtualKeyFromSdl(cases[i].sym, cases[i].scan), cases[i].vk) << cases[i].what;
}

TEST(KeyCodes, LettersFollowTheLayoutWhateverTheCase) {
    const Case cases[] = {
        {SDLK_a, SDL_SCANCODE_A, 65, "a"},
        {'A', SDL_SCANCODE_A, 65, "A (shifted keycode)"},
        {SDLK_z, SDL_SCANCODE_Z, 90, "z"},
        {SDLK_h, SDL_SCANCODE_H, 72, "h: statistics"},
        {SDLK_r, SDL_SCANCODE_R, 82, "r: request"},
        // AZERTY: the key at QWERTY's Q types 'a' and is VK 'A' as on Windows.
        {SDLK_a, SDL_SCANCODE_Q, 65, "azerty a"},
        {SDLK_m, SDL_SCANCODE_SEMICOLON, 77, "azerty m"},
    };
    checkAll(cases, std::size(cases));
}

TEST(KeyCodes, DigitsKeypadAndFunctionKeys) {
    const Case cases[] = {
        {SDLK_1, SDL_SCANCODE_1, 49, "1"},
        {SDLK_0, SDL_SCANCODE_0, 48, "0"},
        {SDLK_9, SDL_SCANCODE_9, 57, "9"},
        {SDLK_AMPERSAND, SDL_SCANCODE_1, 49, "azerty top row '&' is the digit key 1"},
        {SDLK_KP_0, SDL_SCANCODE_KP_0, 96, "pad 0"},
        {SDLK_KP_1, SDL_SCANCODE_KP_1, 97, "pad 1"},
        {SDLK_KP_9, SDL_SCANCODE_KP_9, 105, "pad 9"},
        {SDLK_KP_MULTIPLY, SDL_SCANCODE_KP_MULTIPLY, 106, "pad *"},
        {SDLK_KP_PLUS, SDL_SCANCODE_KP_PLUS, 107, "pad +"},
        {SDLK_KP_MINUS, SDL_SCANCODE_KP_MINUS, 109, "pad -"},
        {SDLK_KP_PERIOD, SDL_SCANCODE_KP_PERIOD, 110, "pad ."},
        {SDLK_KP_DIVIDE, SDL_SCANCODE_KP_DIVIDE, 111, "pad /"},
        {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, 13, "pad enter"},
        {SDLK_F1, SDL_SCANCODE_F1, 112, "F1"},
        {SDLK_F11, SDL_SCANCODE_F11, 122, "F11: shrink"},
        {SDLK_F12, SDL_SCANCODE_F12, 123, "F12: grow"},
    };
    checkAll(cases, std::size(cases));
}

TEST(KeyCodes, ControlAndNavigationKeys) {
    const Case cases[] = {
        {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 27, "Escape"},
        {SDLK_RETURN, SDL_SCANCODE_RETURN, 13, "Enter"},
        {SDLK_TAB, SDL_SCANCODE_TAB, 9, "Tab"},
        {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, 8, "Backspace"},
        {SDLK_DELETE, SDL_SCANCODE_DELETE, 46, "Delete"},
        {SDLK_PAUSE, SDL_SCANCODE_PAUSE, 19, "Pause"},
        {SDLK_END, SDL_SCANCODE_END, 35, "End"},
        {SDLK_HOME, SDL_SCANCODE_HOME, 36, "Home"},
        {SDLK_LEFT, SDL_SCANCODE_LEFT, 37, "Left"},
        {SDLK_UP, SDL_SCANCODE_UP, 38, "Up"},
        {SDLK_RIGHT, SDL_SCANCODE_RIGHT, 39, "Right"},
        {SDLK_DOWN, SDL_SCANCODE_DOWN, 40, "Down"},
        {SDLK_SPACE, SDL_SCANCODE_SPACE, 32, "Space"},
        {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, 16, "left Shift"},
        {SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, 16, "right Shift"},
        {SDLK_LCTRL, SDL_SCANCODE_LCTRL, 17, "left Ctrl"},
        {SDLK_RCTRL, SDL_SCANCODE_RCTRL, 17, "right Ctrl"},
    };
    checkAll(cases, std::size(cases));
}

TEST(KeyCodes, PunctuationByPositionAsOnAFrenchWindowsKeyboard) {
    // The text entry reads 188 ',?', 190 ';.', 191 ':/', 223 '!§'.
    const Case cases[] = {
        {SDLK_COMMA, SDL_SCANCODE_M, 188, "azerty ','"},
        {SDLK_SEMICOLON, SDL_SCANCODE_COMMA, 190, "azerty ';'"},
        {SDLK_COLON, SDL_SCANCODE_PERIOD, 191, "azerty ':'"},
        {SDLK_EXCLAIM, SDL_SCANCODE_SLASH, 223, "azerty '!'"},
        // A QWERTY layout gives the same codes for the same positions.
        {SDLK_COMMA, SDL_SCANCODE_COMMA, 190, "qwerty ','"},
        {SDLK_PERIOD, SDL_SCANCODE_PERIOD, 191, "qwerty '.'"},
        {SDLK_SLASH, SDL_SCANCODE_SLASH, 223, "qwerty '/'"},
        {SDLK_EQUALS, SDL_SCANCODE_EQUALS, 187, "'='"},
        {SDLK_LESS, SDL_SCANCODE_NONUSBACKSLASH, 226, "'<'"},
        {SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN, 0, "no key"},
    };
    checkAll(cases, std::size(cases));
}

} // namespace
