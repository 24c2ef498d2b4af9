// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The lines a player types on the save and connect screens: `length` characters, the cursor
// mark after them, blanks after it.

#include <cstddef>
#include <cstring>

constexpr char CURSOR_MARK = '_';

// Blanks over what was typed and the cursor back at the start.
inline void clearTypedLine(char* s, int& length) {
    std::memset(s, ' ', std::size_t(length) + 1);
    s[0] = CURSOR_MARK;
    length = 0;
}

// The last character erased (nothing on an empty line).
inline void eraseTypedChar(char* s, int& length) {
    s[length] = ' ';
    length = length > 0 ? length - 1 : 0;
    s[length] = CURSOR_MARK;
}

// `c` after what was typed; the caller keeps the length within the line.
inline void appendTypedChar(char* s, int& length, char c) {
    s[length] = c;
    ++length;
    s[length] = CURSOR_MARK;
}
