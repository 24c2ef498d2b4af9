// SPDX-License-Identifier: GPL-3.0-or-later
// The selected PGN game's line of details, from its tags.

#include "game/pgn_details.h"

#include <cctype>
#include <initializer_list>

#include "game/pgn_reader.h"

namespace {

constexpr size_t CUT_CHARS_MIN = 8; // a name or place is never cut shorter than this

bool blank(unsigned code) {
    return code < 0x20 || (code >= 0x7F && code <= 0xA0) || code == ' ';
}

// A tag value as one Latin-1 line: UTF-8 sequences decoded (beyond Latin-1: '?'), other bytes
// kept as Latin-1, control characters and blanks collapsed into single blanks, none at the ends.
std::string latin1Line(const std::string& value) {
    std::string out;
    for (size_t i = 0; i < value.size();) {
        const unsigned char lead = static_cast<unsigned char>(value[i]);
        unsigned code = lead;
        size_t length = 1;
        if (lead >= 0xC0 && lead < 0xF8) {
            const size_t need = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            unsigned decoded = lead & (0x3Fu >> (need - 1));
            bool valid = i + need <= value.size();
            for (size_t k = 1; valid && k < need; ++k) {
                const unsigned char next = static_cast<unsigned char>(value[i + k]);
                valid = (next & 0xC0) == 0x80;
                decoded = decoded << 6 | (next & 0x3Fu);
            }
            if (valid) {
                code = decoded > 0xFF ? '?' : decoded;
                length = need;
            }
        }
        i += length;
        if (!blank(code))
            out += static_cast<char>(code);
        else if (!out.empty() && out.back() != ' ')
            out += ' ';
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

// The tag's value as a line, or "" when it is missing or says it is unknown ("?", "-", "???").
std::string knownTag(const PgnGame& game, const char* name) {
    const std::string* value = game.tag(name);
    if (!value) return "";
    std::string line = latin1Line(*value);
    if (line == "-" || line.find_first_not_of('?') == std::string::npos) return "";
    return line;
}

// "1858" of "1858.??.??" or "1858"; "" when the year is unknown.
std::string yearOf(const std::string& date) {
    if (date.size() < 4 || (date.size() > 4 && date[4] != '.')) return "";
    for (size_t i = 0; i < 4; ++i)
        if (!std::isdigit(static_cast<unsigned char>(date[i]))) return "";
    return date.substr(0, 4);
}

std::string resultOf(const std::string& text) {
    return text == "1-0" || text == "0-1" || text == "1/2-1/2" ? text : "";
}

// A text that may be shown cut: its first `kept` characters, the last of them a '.'.
struct Cuttable {
    std::string full;
    size_t kept = SIZE_MAX;

    std::string shown() const {
        if (kept >= full.size()) return full;
        std::string text = full.substr(0, kept - 1);
        while (!text.empty() && (text.back() == ' ' || text.back() == ',' || text.back() == '.'))
            text.pop_back();
        return text + ".";
    }
    size_t length() const { return kept < full.size() ? kept : full.size(); }
    bool cut() { // one character less; false once at the floor
        if (length() <= CUT_CHARS_MIN) return false;
        kept = length() - 1;
        return true;
    }
};

struct Details {
    Cuttable white, black, place;
    std::string year, result, moves;

    std::string line() const {
        std::string players;
        const std::string w = white.shown(), b = black.shown();
        if (!w.empty() && !b.empty())
            players = w + " - " + b;
        else if (!w.empty())
            players = w + " (White)";
        else if (!b.empty())
            players = b + " (Black)";
        std::string placeYear = place.shown();
        if (!year.empty() && placeYear.find(year) == std::string::npos)
            placeYear += (placeYear.empty() ? "" : " ") + year;
        std::string out;
        for (const std::string* part :
             std::initializer_list<const std::string*>{&players, &placeYear, &result, &moves})
            if (!part->empty()) out += (out.empty() ? "" : ", ") + *part;
        return out;
    }
};

// "Anderssen, Adolf" gives "Anderssen": the surname, as databases write it first.
std::string surname(const std::string& name) {
    const size_t comma = name.find(',');
    return comma == std::string::npos || comma == 0 ? name : name.substr(0, comma);
}

} // namespace

std::string pgn_details(const PgnGame& game, size_t max_chars) {
    Details d;
    d.white.full = knownTag(game, "White");
    d.black.full = knownTag(game, "Black");
    d.place.full = knownTag(game, "Event");
    if (d.place.full.empty()) d.place.full = knownTag(game, "Site");
    d.year = yearOf(knownTag(game, "Date"));
    if (d.year.empty()) d.year = yearOf(knownTag(game, "EventDate"));
    d.result = resultOf(knownTag(game, "Result"));
    if (d.result.empty()) d.result = resultOf(game.result);
    const size_t fullMoves = (game.moves.size() + game.moves_dropped + 1) / 2;
    if (fullMoves > 0) d.moves = std::to_string(fullMoves) + (fullMoves == 1 ? " move" : " moves");

    std::string line = d.line();
    if (line.size() <= max_chars) return line;
    d.white.full = surname(d.white.full);
    d.black.full = surname(d.black.full);
    while ((line = d.line()).size() > max_chars) {
        Cuttable& longer = d.white.length() >= d.black.length() ? d.white : d.black;
        Cuttable& shorter = &longer == &d.white ? d.black : d.white;
        if (!longer.cut() && !shorter.cut()) break;
    }
    while (line.size() > max_chars && d.place.cut())
        line = d.line();
    for (std::string* part : {&d.moves, &d.result}) {
        if (line.size() <= max_chars) break;
        part->clear();
        line = d.line();
    }
    if (line.size() > max_chars) {
        line.resize(max_chars);
        if (max_chars >= 2) line.back() = '.';
    }
    return line;
}
