#include "game/pgn_reader.h"

#include <cstring>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// Characters that end a movetext token besides blanks.
bool endsToken(char c) {
    return isBlank(c) || std::strchr("{}();[]$<>", c) != nullptr;
}

bool isResult(const std::string& t) {
    return t == "1-0" || t == "0-1" || t == "1/2-1/2" || t == "*" || t == "\xC2\xBD-\xC2\xBD";
}

// A token that annotates instead of moving: marks on their own ("!?", "??"), evaluation
// symbols ("+-", "-+", "=", "+/=", "=/+") and "e.p.". A null move ("--") is kept as a move, so
// that the game is refused rather than played with one move missing.
bool isAnnotation(const std::string& t) {
    if (t == "e.p." || t == "ep") return true;
    if (t == "--") return false;
    return t.find_first_not_of("!?+-=/") == std::string::npos;
}

// The reading state: where in the text, and the game being filled.
class Reader {
public:
    Reader(const char* text, size_t size, size_t maxGames)
        : text_(text), size_(size), maxGames_(maxGames) {}

    std::vector<PgnGame> run() {
        // A byte-order mark some editors put at the start.
        if (size_ >= 3 && std::memcmp(text_, "\xEF\xBB\xBF", 3) == 0) at_ = 3;
        while (at_ < size_ && games_.size() < maxGames_)
            step();
        finishGame();
        if (games_.size() > maxGames_) games_.resize(maxGames_);
        return std::move(games_);
    }

private:
    const char* text_;
    size_t size_;
    size_t maxGames_;
    size_t at_ = 0;
    bool lineStart_ = true; // at_ is the first character of a line
    int depth_ = 0;         // variations open around at_
    bool open_ = false;     // game_ has tags, moves or a result
    bool ended_ = false;    // game_'s result has been read
    PgnGame game_;
    std::vector<PgnGame> games_;

    char peek() const { return at_ < size_ ? text_[at_] : '\0'; }

    void skipTo(char end) {
        while (at_ < size_ && text_[at_] != end)
            ++at_;
        if (at_ < size_) ++at_;
    }

    void finishGame() {
        if (open_) games_.push_back(std::move(game_));
        game_ = PgnGame();
        open_ = ended_ = false;
    }

    // One element of the text at at_.
    void step() {
        const char c = text_[at_];
        const bool wasLineStart = lineStart_;
        lineStart_ = c == '\n';
        if (wasLineStart && c == '%') { // escape line: for the program that wrote it
            skipTo('\n');
            lineStart_ = true;
            return;
        }
        if (isBlank(c)) {
            ++at_;
        } else if (c == '{') {
            skipTo('}');
        } else if (c == ';') {
            skipTo('\n');
            lineStart_ = true;
        } else if (c == '(') {
            ++depth_;
            ++at_;
        } else if (c == ')') {
            if (depth_ > 0) --depth_;
            ++at_;
        } else if (c == '<') {
            skipTo('>');
        } else if (c == '[' && (depth_ == 0 || wasLineStart)) {
            // A tag at the start of a line also closes variations a damaged game left open.
            depth_ = 0;
            tagPair();
        } else if (c == '$') {
            ++at_;
            while (at_ < size_ && peek() >= '0' && peek() <= '9')
                ++at_;
        } else {
            token();
        }
    }

    // [Name "value"]: the name, the quoted value with its escapes; anything up to ']' after it
    // is ignored. A tag after movetext starts the next game.
    void tagPair() {
        ++at_;
        if (open_ && (!game_.moves.empty() || !game_.result.empty())) finishGame();
        while (at_ < size_ && (peek() == ' ' || peek() == '\t'))
            ++at_;
        std::string name, value;
        while (at_ < size_ && !isBlank(peek()) && peek() != '"' && peek() != ']')
            name += text_[at_++];
        while (at_ < size_ && peek() != '"' && peek() != ']' && peek() != '\n')
            ++at_;
        if (peek() == '"') {
            ++at_;
            while (at_ < size_ && peek() != '"' && peek() != '\n') {
                if (peek() == '\\' && at_ + 1 < size_ && text_[at_ + 1] != '\n') ++at_;
                value += text_[at_++];
            }
        }
        while (at_ < size_ && peek() != ']' && peek() != '\n')
            ++at_;
        if (peek() == ']') ++at_;
        if (name.empty()) return;
        game_.tags.emplace_back(std::move(name), std::move(value));
        open_ = true;
    }

    // A movetext token: a result, a move number, an annotation or a move.
    void token() {
        const size_t start = at_;
        while (at_ < size_ && !endsToken(peek()))
            ++at_;
        if (at_ == start) { // a stray ']' or '[' inside a variation
            ++at_;
            return;
        }
        if (depth_ > 0) return;
        std::string t(text_ + start, at_ - start);
        if (isResult(t)) {
            if (ended_) return; // a second result says nothing new
            game_.result = t;
            open_ = ended_ = true;
            return;
        }
        // Move number: digits then dots ("12.", "12...", "12...Nf6"), or digits alone.
        size_t digits = 0;
        while (digits < t.size() && t[digits] >= '0' && t[digits] <= '9')
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
        if (ended_) finishGame();
        game_.moves.push_back(std::move(t));
        open_ = true;
    }
};

} // namespace

const std::string* PgnGame::tag(const char* name) const {
    for (const auto& [n, v] : tags)
        if (n == name) return &v;
    return nullptr;
}

std::vector<PgnGame> read_pgn_games(const char* text, size_t size, size_t max_games) {
    if (!text || size == 0 || max_games == 0) return {};
    return Reader(text, size, max_games).run();
}
