// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/settings.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <sstream>

#include "game/file_io.h"
#include "game/opponent.h"
#include "game/pgn.h"
#include "game/saved_games.h"

namespace {

constexpr size_t SETTINGS_FILE_LIMIT = 64 * 1024; // bytes read at most: the file is a few lines

struct Entry {
    const char* name;
    bool GameSettings::*field;
};
constexpr Entry ENTRIES[] = {
    {"move_hints", &GameSettings::moveHints},
    {"last_move_marks", &GameSettings::lastMoveMarks},
    {"move_list", &GameSettings::moveList},
    {"port_mapping", &GameSettings::portMapping},
    {"sounds", &GameSettings::sounds},
    {"opening_book", &GameSettings::openingBook},
    {"ambient", &GameSettings::ambient},
    {"music", &GameSettings::music},
    {"follow_side_to_move", &GameSettings::followSideToMove},
};

std::string trimmed(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

std::string trimmedLower(const std::string& s) {
    std::string out = trimmed(s);
    for (char& c : out)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// 1 on, 0 off, -1 for anything else.
int switchValue(const std::string& v) {
    if (v == "on" || v == "1" || v == "true" || v == "yes") return 1;
    if (v == "off" || v == "0" || v == "false" || v == "no") return 0;
    return -1;
}

constexpr const char* RENDER_SCALE_NAME = "render_scale";
constexpr const char* MOVES_NAME = "moves";
constexpr const char* TWO_CLICKS = "two clicks";
constexpr const char* THREE_CLICKS = "three clicks";

// Blanks between words count as one: "two   clicks" is "two clicks".
std::string singleBlanks(const std::string& s) {
    std::string out;
    for (char c : s)
        if (!std::isspace(static_cast<unsigned char>(c)))
            out += c;
        else if (!out.empty() && out.back() != ' ')
            out += ' ';
    return out;
}

} // namespace

std::string renderScaleText(float scale) {
    if (scale <= 0) return "auto";
    char text[16];
    std::snprintf(text, sizeof text, "%.2f", double(scale));
    std::string out = text;
    while (out.size() > 3 && out.back() == '0') // "1.0", "0.75", "0.5"
        out.pop_back();
    return out;
}

float parseRenderScale(const std::string& value) {
    if (value == "auto") return 0;
    char* end = nullptr;
    const float v = std::strtof(value.c_str(), &end);
    if (end == value.c_str() || *end != 0 || !(v >= 0.5f && v <= 1.0f)) return -1;
    return v;
}

GameSettings& gameSettings() {
    static GameSettings settings;
    return settings;
}

std::string settingsText(const GameSettings& settings) {
    std::string out = "# chess3d settings: the game rewrites this file when one changes\n";
    for (const Entry& e : ENTRIES)
        out += std::string(e.name) + " = " + (settings.*e.field ? "on" : "off") + "\n";
    out +=
        "engine = " + (settings.engine.empty() ? std::string("builtin") : settings.engine) + "\n";
    out += "level = " + std::to_string(settings.level) + "\n";
    out += std::string(RENDER_SCALE_NAME) + " = " + renderScaleText(settings.renderScale) + "\n";
    out += std::string(MOVES_NAME) + " = " + (settings.twoClickMoves ? TWO_CLICKS : THREE_CLICKS) +
           "\n";
    return out;
}

GameSettings parseSettings(const std::string& text) {
    GameSettings settings;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string name = trimmedLower(line.substr(0, eq));
        if (name == "engine") { // a command: its case and inner blanks kept
            const std::string command = trimmed(line.substr(eq + 1));
            settings.engine = namesBuiltinEngine(command) ? "" : command;
            continue;
        }
        if (name == "level") {
            const std::string v = trimmed(line.substr(eq + 1));
            if (v.size() == 1 && v[0] >= '0' + ENGINE_LEVEL_MIN && v[0] <= '0' + ENGINE_LEVEL_MAX)
                settings.level = v[0] - '0';
            continue;
        }
        if (name == RENDER_SCALE_NAME) {
            const float scale = parseRenderScale(trimmedLower(line.substr(eq + 1)));
            if (scale >= 0) settings.renderScale = scale;
            continue;
        }
        if (name == MOVES_NAME) { // anything but two clicks keeps the three
            settings.twoClickMoves = singleBlanks(trimmedLower(line.substr(eq + 1))) == TWO_CLICKS;
            continue;
        }
        const int value = switchValue(trimmedLower(line.substr(eq + 1)));
        if (value < 0) continue;
        for (const Entry& e : ENTRIES)
            if (name == e.name) settings.*e.field = value == 1;
    }
    return settings;
}

std::string settingsPath() {
    return std::string(save_folder()) + "settings.ini";
}

bool loadGameSettings(const std::string& path) {
    gameSettings() = GameSettings{};
    // Only a regular file (a pipe under the name would stop the start-up), and its first
    // SETTINGS_FILE_LIMIT bytes.
    std::string text;
    if (read_small_file(path.c_str(), SETTINGS_FILE_LIMIT, text, true) != FileRead::Ok)
        return false;
    gameSettings() = parseSettings(text);
    return true;
}

bool saveGameSettings(const std::string& path) {
    return write_text_file(path.c_str(), settingsText(gameSettings()));
}

int& netPort() {
    static int port = DEFAULT_NET_PORT;
    return port;
}
