// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading PGN as other chess programs and databases write it: the games of a text, each with
// its tag pairs and the moves of its main line. Only the text is read here; whether the board
// can show a game is pgn_import.h's question.
//
// What the reader takes: tag pairs ([Name "value"], with \" and \\ inside values), missing or
// extra tags, move numbers with dots or "..." (also glued to the move: "1.e4", "12...Nf6"),
// comments in braces and after semicolons, variations in parentheses (nested, skipped: only the
// main line is kept), numeric annotation glyphs ($1), move marks ("!", "?!", "+", "#") and
// detached evaluation symbols ("+-", "=", "!?"), "e.p." after a move, reserved <...> text, lines
// starting with '%' (escape lines), a byte-order mark, any line ends, and any result ("1-0",
// "0-1", "1/2-1/2", "*") or none. A game begins at a tag pair that follows movetext, or at a move
// that follows a result.
//
// What it keeps is bounded, whatever the text: a file of millions of one-letter "moves" or tags
// costs the memory of one long game. Past the limits below the text is still read (to find
// where the game ends) but no longer kept; the game says how much it dropped.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

constexpr size_t PGN_GAME_MOVES_MAX = 12224; // the longest game the board takes (half-moves)
constexpr size_t PGN_GAME_TAGS_MAX = 100;    // tags of a game; real ones have a few dozen
constexpr size_t PGN_TAG_TEXT_MAX = 255;     // characters of a tag's name or value, as PGN's
constexpr size_t PGN_TOKEN_MAX = 32;         // characters kept of a move; longer is no move

// One game as written.
struct PgnGame {
    std::vector<std::pair<std::string, std::string>> tags; // name and value, in file order
    std::vector<std::string> moves; // the main line's move tokens as written, numbers removed
    std::string result;             // the movetext's result token, "" when it has none
    size_t moves_dropped = 0;       // main-line moves past PGN_GAME_MOVES_MAX, not kept
    size_t tags_dropped = 0;        // tags past PGN_GAME_TAGS_MAX, not kept

    // The value of the first tag called `name`, or null.
    const std::string* tag(const char* name) const;
};

// Hands the reader its next block of text: points `block` at it and returns its size, 0 at the
// end of the text. The block stays valid until the next call.
using PgnFill = size_t (*)(void* source, const char** block);

// Reads the games of a text one after another, a block at a time: the text need never be whole
// in memory, and reading stops where the caller stops asking.
class PgnReader {
public:
    PgnReader(const char* text, size_t size); // a text in memory (no terminator needed)
    PgnReader(PgnFill fill, void* source);    // blocks asked for as the reading needs them
    ~PgnReader();
    PgnReader(const PgnReader&) = delete;
    PgnReader& operator=(const PgnReader&) = delete;

    // The next game into `game` (null: read past it, keeping nothing); false when the text has
    // no more. A game is complete only once the next one begins, so the first element of the
    // next game has been read when this returns.
    bool next(PgnGame* game);

    // Bytes of the text read so far.
    size_t bytes_read() const;

    struct State; // the reading state (private to the reader)

private:
    std::unique_ptr<State> state_;
};

// The games of `size` bytes of PGN text (no terminator needed), in order; at most `max_games`
// (the rest of the text is not read). Text that is not PGN at all gives no game, or games whose
// moves the board refuses; it never fails.
std::vector<PgnGame> read_pgn_games(const char* text, size_t size, size_t max_games = SIZE_MAX);
