// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/pgn.h"

#include <cstdio>
#include <memory>

#include "chess/make_move.h"
#include "chess/notation.h"
#include "chess/position.h"
#include "chess/position_backup.h"
#include "game/file_io.h"

namespace {

constexpr size_t PGN_LINE_LIMIT = 79; // the export format wants lines shorter than 80

// The legal move with the recorded move's squares, a promotion to a queen when it promotes;
// 0 when there is none.
uint32_t engine_move_of(RecordedMove m) {
    const int from = rm_from_row(m) * 8 + rm_from_column(m);
    const int to = rm_to_row(m) * 8 + rm_to_column(m);
    Move legal[MAX_LEGAL_MOVES];
    const int count = legal_moves(legal);
    for (int i = 0; i < count; ++i) {
        const Move c = legal[i];
        if (c.from == from && c.to == to && (!(c.flags & MF_PROMOTE) || c.promote == QUEEN))
            return move_value(c);
    }
    return 0;
}

// A tag value between quotes, with '\' and '"' escaped.
std::string quoted(const std::string& value) {
    std::string out = "\"";
    for (char c : value) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

// Collects tokens into lines of at most PGN_LINE_LIMIT characters, one space between tokens.
struct LineFiller {
    std::string text;
    size_t line_length = 0;

    void add(const std::string& token) {
        if (line_length > 0 && line_length + 1 + token.size() > PGN_LINE_LIMIT) {
            text += '\n';
            line_length = 0;
        }
        if (line_length > 0) {
            text += ' ';
            ++line_length;
        }
        text += token;
        line_length += token.size();
    }
    // A comment, word by word so that it wraps like the moves; braces inside it are dropped.
    void add_comment(const std::string& comment) {
        std::string word;
        std::vector<std::string> words;
        for (char c : comment) {
            if (c == '{' || c == '}') continue;
            if (c == ' ') {
                if (!word.empty()) words.push_back(word);
                word.clear();
            } else {
                word += c;
            }
        }
        if (!word.empty()) words.push_back(word);
        if (words.empty()) return;
        words.front() = "{" + words.front();
        words.back() += "}";
        for (const std::string& w : words)
            add(w);
    }
};

} // namespace

void replay_recorded_game(const RecordedMove* moves, int count, ReplayedGame& game) {
    game = ReplayedGame{};
    auto backup = std::make_unique<PositionBackup>();
    backup_position(*backup);
    init_position();
    for (int i = 0; i < count; ++i) {
        const uint32_t move = engine_move_of(moves[i]);
        char san[SAN_SIZE];
        if (move == 0 || !move_san(move, san) || !make_move(move)) {
            game.refused_at = i;
            std::snprintf(game.refused_text, sizeof game.refused_text, "%c%d%c%d",
                          'a' + rm_from_column(moves[i]), 8 - rm_from_row(moves[i]),
                          'a' + rm_to_column(moves[i]), 8 - rm_to_row(moves[i]));
            break;
        }
        search_ply = 0;
        game.san.emplace_back(san);
    }
    game.end = judge_game().end;
    restore_position(*backup);
}

std::string pgn_date(std::time_t when) {
    std::tm local{};
    char text[16] = "????.??.??";
    if (localtime_r(&when, &local)) std::strftime(text, sizeof text, "%Y.%m.%d", &local);
    return text;
}

std::string pgn_text(const PgnTags& tags, const ReplayedGame& game) {
    const char* result = game.refused_at >= 0 ? "*" : game_end_result(game.end);
    std::string out;
    const std::pair<const char*, const std::string*> roster[] = {
        {"Event", &tags.event}, {"Site", &tags.site},   {"Date", &tags.date},
        {"Round", &tags.round}, {"White", &tags.white}, {"Black", &tags.black}};
    for (const auto& [name, value] : roster)
        out += std::string("[") + name + " " + quoted(*value) + "]\n";
    out += std::string("[Result \"") + result + "\"]\n\n";

    LineFiller moves;
    for (size_t i = 0; i < game.san.size(); ++i) {
        if (i % 2 == 0) moves.add(std::to_string(i / 2 + 1) + ".");
        moves.add(game.san[i]);
    }
    if (game.refused_at >= 0) {
        moves.add_comment("Move " + std::to_string(game.refused_at / 2 + 1) +
                          (game.refused_at % 2 ? "... " : ". ") + game.refused_text +
                          " of the saved game is not legal here; the record stops before it");
    } else if (const char* reason = game_end_reason(game.end)) {
        moves.add_comment(reason);
    }
    moves.add(result);
    return out + moves.text + "\n\n";
}

std::string pgn_path_beside(const std::string& chs_path) {
    const std::string ending = ".chs";
    if (chs_path.size() >= ending.size() &&
        chs_path.compare(chs_path.size() - ending.size(), ending.size(), ending) == 0)
        return chs_path.substr(0, chs_path.size() - ending.size()) + ".pgn";
    return chs_path + ".pgn";
}

bool write_text_file(const char* path, const std::string& text) {
    return replace_file(path, text, false);
}
