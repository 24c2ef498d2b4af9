// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/pgn_reader.h"

#include <cstring>
#include <string_view>

namespace {

bool isBlank(int c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool isDigit(int c) {
    return c >= '0' && c <= '9';
}

// Characters that end a movetext token besides blanks (a NUL byte too: strchr finds the end).
bool endsToken(int c) {
    return isBlank(c) || std::strchr("{}();[]$<>", c) != nullptr;
}

// Tokens are compared as views: the lengths first, so that the millions of one-letter tokens a
// hostile file may hold cost no comparison of their bytes.
bool isResult(std::string_view t) {
    return t == "1-0" || t == "0-1" || t == "1/2-1/2" || t == "*" || t == "\xC2\xBD-\xC2\xBD";
}

// A token that annotates instead of moving: marks on their own ("!?", "??"), evaluation
// symbols ("+-", "-+", "=", "+/=", "=/+") and "e.p.". A null move ("--") is kept as a move, so
// that the game is refused rather than played with one move missing.
bool isAnnotation(std::string_view t) {
    if (t == "e.p." || t == "ep") return true;
    if (t == "--") return false;
    return t.find_first_not_of("!?+-=/") == std::string_view::npos;
}

} // namespace

// The reading state: where in the text, and the game being filled.
struct PgnReader::State {
    // The text: the current block, and how to get the next.
    PgnFill fill = nullptr;
    void* source = nullptr;
    const char* block = nullptr;
    size_t size = 0;        // bytes in block
    size_t at = 0;          // next byte of block
    size_t before = 0;      // bytes of the blocks before this one
    bool textEnded = false; // fill has said there is no more
    bool started = false;   // the byte-order mark has been looked for
    // The structure around `at`.
    bool lineStart = true; // at is the first character of a line
    int depth = 0;         // variations open around at
    bool open = false;     // game has tags, moves or a result
    bool ended = false;    // game's result has been read
    bool allHandedOut = false;
    PgnGame game;
    PgnGame ready; // the last game completed, not yet handed out
    bool haveReady = false;
    std::string token; // the token being read (its room reused)

    bool more() {
        if (at < size) return true;
        if (!fill || textEnded) return false;
        before += size;
        at = 0;
        size = fill(source, &block);
        textEnded = size == 0;
        return !textEnded;
    }
    // The next byte, or -1 at the end of the text.
    int peek() { return more() ? static_cast<unsigned char>(block[at]) : -1; }
    void advance() { ++at; } // after a peek that gave a byte

    void skipTo(int end) {
        int c;
        while ((c = peek()) != -1 && c != end)
            advance();
        if (c == end) advance();
    }

    void finishGame() {
        if (open) {
            ready = std::move(game);
            haveReady = true;
        }
        game = PgnGame();
        open = ended = false;
    }

    bool inMovetext() const {
        return !game.moves.empty() || game.moves_dropped > 0 || !game.result.empty();
    }

    // One element of the text at `at` (there is one).
    void step() {
        const int c = peek();
        const bool wasLineStart = lineStart;
        lineStart = c == '\n';
        if (wasLineStart && c == '%') { // escape line: for the program that wrote it
            skipTo('\n');
            lineStart = true;
            return;
        }
        if (isBlank(c)) {
            advance();
        } else if (c == '{') {
            skipTo('}');
        } else if (c == ';') {
            skipTo('\n');
            lineStart = true;
        } else if (c == '(') {
            ++depth;
            advance();
        } else if (c == ')') {
            if (depth > 0) --depth;
            advance();
        } else if (c == '<') {
            skipTo('>');
        } else if (c == '[' && (depth == 0 || wasLineStart)) {
            // A tag at the start of a line also closes variations a damaged game left open.
            depth = 0;
            tagPair();
        } else if (c == '$') {
            advance();
            while (isDigit(peek()))
                advance();
        } else {
            readToken();
        }
    }

    // [Name "value"]: the name, the quoted value with its escapes; anything up to ']' after it
    // is ignored. A tag after movetext starts the next game. Name and value are kept up to
    // PGN_TAG_TEXT_MAX characters each.
    void tagPair() {
        advance();
        if (open && inMovetext()) finishGame();
        int c;
        while ((c = peek()) == ' ' || c == '\t')
            advance();
        std::string name, value;
        while ((c = peek()) != -1 && !isBlank(c) && c != '"' && c != ']') {
            if (name.size() < PGN_TAG_TEXT_MAX) name += char(c);
            advance();
        }
        while ((c = peek()) != -1 && c != '"' && c != ']' && c != '\n')
            advance();
        if (c == '"') {
            advance();
            while ((c = peek()) != -1 && c != '"' && c != '\n') {
                advance();
                if (c == '\\') { // an escape, unless the line or the text ends after it
                    const int next = peek();
                    if (next != -1 && next != '\n') {
                        c = next;
                        advance();
                    }
                }
                if (value.size() < PGN_TAG_TEXT_MAX) value += char(c);
            }
        }
        while ((c = peek()) != -1 && c != ']' && c != '\n')
            advance();
        if (c == ']') advance();
        if (name.empty()) return;
        if (game.tags.size() < PGN_GAME_TAGS_MAX)
            game.tags.emplace_back(std::move(name), std::move(value));
        else
            ++game.tags_dropped;
        open = true;
    }

    // A movetext token: a result, a move number, an annotation or a move. A token longer than
    // PGN_TOKEN_MAX is no move: its start is kept, ending in '~', so that it is refused by name.
    void readToken() {
        token.clear();
        size_t length = 0;
        int c;
        while ((c = peek()) != -1 && !endsToken(c)) {
            if (token.size() < PGN_TOKEN_MAX) token += char(c);
            ++length;
            advance();
        }
        if (length == 0) { // a stray ']' or '[' inside a variation
            advance();
            return;
        }
        if (depth > 0) return;
        if (length > token.size()) token.back() = '~';
        std::string& t = token;
        if (isResult(t)) {
            if (ended) return; // a second result says nothing new
            game.result = t;
            open = ended = true;
            return;
        }
        // Move number: digits then dots ("12.", "12...", "12...Nf6"), or digits alone.
        size_t digits = 0;
        while (digits < t.size() && isDigit(t[digits]))
            ++digits;
        if (digits > 0 && (digits == t.size() || t[digits] == '.')) {
            size_t rest = digits;
            while (rest < t.size() && t[rest] == '.')
                ++rest;
            t.erase(0, rest);
        }
        while (!t.empty() && t[0] == '.') // "..." written apart from its number
            t.erase(0, 1);
        if (t.size() > 4 && t.compare(t.size() - 4, 4, "e.p.") == 0) t.resize(t.size() - 4);
        if (t.empty() || isAnnotation(t)) return;
        if (ended) finishGame();
        if (game.moves.size() < PGN_GAME_MOVES_MAX)
            game.moves.push_back(t);
        else
            ++game.moves_dropped;
        open = true;
    }
};

const std::string* PgnGame::tag(const char* name) const {
    for (const auto& [n, v] : tags)
        if (n == name) return &v;
    return nullptr;
}

PgnReader::PgnReader(const char* text, size_t size) : state_(std::make_unique<State>()) {
    state_->block = text;
    state_->size = text ? size : 0;
}

PgnReader::PgnReader(PgnFill fill, void* source) : state_(std::make_unique<State>()) {
    state_->fill = fill;
    state_->source = source;
}

PgnReader::~PgnReader() = default;

bool PgnReader::next(PgnGame* game) {
    State& s = *state_;
    if (!s.started) {
        s.started = true;
        // A byte-order mark some editors put at the start.
        for (int mark : {0xEF, 0xBB, 0xBF}) {
            if (s.peek() != mark) break;
            s.advance();
        }
    }
    while (!s.haveReady && s.more())
        s.step();
    if (!s.haveReady && !s.allHandedOut) {
        s.finishGame(); // the text ended: the last game is complete
        s.allHandedOut = true;
    }
    if (!s.haveReady) return false;
    if (game) *game = std::move(s.ready);
    s.ready = PgnGame();
    s.haveReady = false;
    return true;
}

size_t PgnReader::bytes_read() const {
    return state_->before + state_->at;
}

std::vector<PgnGame> read_pgn_games(const char* text, size_t size, size_t max_games) {
    std::vector<PgnGame> games;
    if (!text || size == 0 || max_games == 0) return games;
    PgnReader reader(text, size);
    PgnGame game;
    while (games.size() < max_games && reader.next(&game))
        games.push_back(std::move(game));
    return games;
}
