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

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// One game as written.
struct PgnGame {
    std::vector<std::pair<std::string, std::string>> tags; // name and value, in file order
    std::vector<std::string> moves; // the main line's move tokens as written, numbers removed
    std::string result;             // the movetext's result token, "" when it has none

    // The value of the first tag called `name`, or null.
    const std::string* tag(const char* name) const;
};

// The games of `size` bytes of PGN text (no terminator needed), in order; at most `max_games`
// (the rest of the text is not read). Text that is not PGN at all gives no game, or games whose
// moves the board refuses; it never fails.
std::vector<PgnGame> read_pgn_games(const char* text, size_t size, size_t max_games = SIZE_MAX);
