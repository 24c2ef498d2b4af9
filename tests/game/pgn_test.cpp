// SPDX-License-Identifier: GPL-3.0-or-later
// PGN of the game record: the text for known games, the result by the engine's rules, a record
// the engine refuses, the engine's game left as it was, and long games read back by a PGN reader
// that is not ours (Debian's pgn-extract) with the same moves.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "chess/fen.h"
#include "chess/make_move.h"
#include "chess/notation.h"
#include "chess/position.h"
#include "chess/search.h"
#include "game/pgn.h"
#include "game/pgn_import.h"
#include "game/pgn_reader.h"
#include "game/saved_games.h"

namespace fs = std::filesystem;

namespace {

// The record of a game given in coordinate texts, played on the engine from the start; the
// engine is left at the end of the game.
std::vector<RecordedMove> record_of(const std::vector<std::string>& texts) {
    init_position();
    PieceId ids[64];
    PromotedPawns promoted = 0;
    start_square_ids(ids);
    std::vector<RecordedMove> out;
    for (const std::string& t : texts) {
        const uint32_t value = text_move(t.c_str());
        EXPECT_NE(value, 0u) << t;
        if (value == 0) break;
        const Move m = to_move(value);
        const PieceId id = ids[m.from];
        const RecordedMove r =
            make_recorded_move(row_of(m.from), column_of(m.from), row_of(m.to), column_of(m.to),
                               id_colour(id), id_kind(id), id_index(id));
        apply_recorded_move(r, ids, &promoted, nullptr, false);
        out.push_back(r);
        EXPECT_TRUE(make_move(value));
        search_ply = 0;
    }
    return out;
}

std::string pgn_of(const std::vector<RecordedMove>& moves, PgnTags tags = PgnTags{}) {
    ReplayedGame game;
    replay_recorded_game(moves.data(), int(moves.size()), game);
    return pgn_text(tags, game);
}

const char* const TAGS_WHITE_VS_COMPUTER = "[Event \"chess3d game\"]\n"
                                           "[Site \"?\"]\n"
                                           "[Date \"2026.12.08\"]\n"
                                           "[Round \"-\"]\n"
                                           "[White \"White\"]\n"
                                           "[Black \"Computer\"]\n";

struct TextCase {
    std::vector<std::string> moves;
    const char* result_tag;
    const char* movetext;
};

TEST(Pgn, TextOfKnownGamesWithTheirResults) {
    const TextCase cases[] = {
        {{}, "*", "*"},
        {{"e2e4", "e7e5", "g1f3"}, "*", "1. e4 e5 2. Nf3 *"},
        {{"f2f3", "e7e5", "g2g4", "d8h4"}, "0-1", "1. f3 e5 2. g4 Qh4# {Black mates} 0-1"},
        {{"e2e4", "e7e5", "d1h5", "b8c6", "f1c4", "g8f6", "h5f7"},
         "1-0",
         "1. e4 e5 2. Qh5 Nc6 3. Bc4 Nf6 4. Qxf7# {White mates} 1-0"},
        // Sam Loyd's ten-move stalemate.
        {{"e2e3", "a7a5", "d1h5", "a8a6", "h5a5", "h7h5", "h2h4", "a6h6", "a5c7", "f7f6", "c7d7",
          "e8f7", "d7b7", "d8d3", "b7b8", "d3h7", "b8c8", "f7g6", "c8e6"},
         "1/2-1/2",
         "1. e3 a5 2. Qh5 Ra6 3. Qxa5 h5 4. h4 Rah6 5. Qxc7 f6 6. Qxd7+ Kf7 7. Qxb7 Qd3\n"
         "8. Qxb8 Qh7 9. Qxc8 Kg6 10. Qe6 {Stalemate} 1/2-1/2"},
        // Knights out and back until the start placement stands a fourth time.
        {{"g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6", "f3g1",
          "f6g8"},
         "1/2-1/2",
         "1. Nf3 Nf6 2. Ng1 Ng8 3. Nf3 Nf6 4. Ng1 Ng8 5. Nf3 Nf6 6. Ng1 Ng8 {Draw by\n"
         "repetition} 1/2-1/2"},
    };
    for (const TextCase& c : cases) {
        PgnTags tags;
        tags.date = "2026.12.08";
        tags.black = "Computer";
        const std::string expected = std::string(TAGS_WHITE_VS_COMPUTER) + "[Result \"" +
                                     c.result_tag + "\"]\n\n" + c.movetext + "\n\n";
        EXPECT_EQ(pgn_of(record_of(c.moves), tags), expected);
    }
}

TEST(Pgn, ARecordTheEngineRefusesStopsBeforeTheMoveAndIsUnfinished) {
    std::vector<RecordedMove> moves = record_of({"e2e4", "e7e5"});
    // A king's jump of two rows stays in range but is not legal chess.
    moves.push_back(make_recorded_move(7, 4, 5, 4, 0, 4, 0));
    moves.push_back(make_recorded_move(1, 0, 2, 0, 1, 2, 0));
    ReplayedGame game;
    replay_recorded_game(moves.data(), int(moves.size()), game);
    EXPECT_EQ(game.refused_at, 2);
    EXPECT_EQ(game.san, (std::vector<std::string>{"e4", "e5"}));
    const std::string text = pgn_text(PgnTags{}, game);
    EXPECT_NE(text.find("[Result \"*\"]"), std::string::npos);
    EXPECT_NE(text.find("1. e4 e5 {Move 2. e1e3 of the saved game is not legal here; the record "
                        "stops\nbefore it} *\n"),
              std::string::npos)
        << text;
}

TEST(Pgn, ReplayingLeavesTheEnginesGameAsItWas) {
    ASSERT_TRUE(
        set_position_fen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"));
    for (const char* t : {"e1g1", "h3g2"}) {
        ASSERT_TRUE(make_move(text_move(t)));
        search_ply = 0;
    }
    Move before_moves[MAX_LEGAL_MOVES];
    const int before_count = legal_moves(before_moves);
    const std::string before = position_fen();
    const int before_history = history_ply;
    const UndoRecord first = undo_stack[0];

    const std::vector<RecordedMove> moves = record_of({"e2e4", "e7e5", "d1h5", "b8c6"});
    ASSERT_TRUE(
        set_position_fen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"));
    for (const char* t : {"e1g1", "h3g2"}) {
        ASSERT_TRUE(make_move(text_move(t)));
        search_ply = 0;
    }
    // The game's root moves are ready at ply 0, as the game driver keeps them.
    Move root[MAX_LEGAL_MOVES];
    ASSERT_EQ(legal_moves(root), before_count);
    const int first_root = ply_first_move[0], end_root = ply_first_move[1];
    std::vector<uint32_t> stack_before;
    for (int i = first_root; i < end_root; ++i)
        stack_before.push_back(move_value(move_stack[i].move));

    EXPECT_NE(pgn_of(moves).find("2. Qh5 Nc6 *"), std::string::npos);

    EXPECT_EQ(position_fen(), before);
    EXPECT_EQ(history_ply, before_history);
    EXPECT_EQ(search_ply, 0);
    EXPECT_EQ(std::memcmp(&undo_stack[0], &first, sizeof first), 0);
    EXPECT_EQ(ply_first_move[0], first_root);
    EXPECT_EQ(ply_first_move[1], end_root);
    std::vector<uint32_t> stack_after;
    for (int i = first_root; i < end_root; ++i)
        stack_after.push_back(move_value(move_stack[i].move));
    EXPECT_EQ(stack_after, stack_before);
    take_back(); // the undo stack still holds the game: the last move comes back off it
    EXPECT_EQ(square_piece[62], KING);
}

// --- Long games read back by pgn-extract -------------------------------------------------------

// A seeded game from the start: after 100 plies a mating move whenever there is one, castling, en
// passant and promotions (to a queen, as the board records them) three times in four when offered,
// otherwise a random legal move; until the game ends or `plies` moves. Returns its coordinate
// texts.
std::vector<std::string> seeded_game(unsigned seed, int plies) {
    std::mt19937 rng(seed);
    init_position();
    std::vector<std::string> texts;
    for (int p = 0; p < plies && game_end() == GAME_GOES_ON; ++p) {
        Move legal[MAX_LEGAL_MOVES];
        const int count = legal_moves(legal);
        std::vector<Move> special, any;
        Move mate{};
        for (int i = 0; i < count; ++i) {
            const Move m = legal[i];
            if ((m.flags & MF_PROMOTE) && m.promote != QUEEN) continue;
            any.push_back(m);
            if (m.flags & (MF_CASTLE | MF_EN_PASSANT | MF_PROMOTE)) special.push_back(m);
            if (!make_move(m)) continue;
            const GameEnd end = game_end();
            take_back();
            if (end == WHITE_MATES || end == BLACK_MATES) mate = m;
        }
        Move chosen = any[rng() % any.size()];
        if (move_value(mate) != 0 && p >= 100)
            chosen = mate;
        else if (!special.empty() && rng() % 4 != 0)
            chosen = special[rng() % special.size()];
        texts.emplace_back(move_text(chosen));
        EXPECT_TRUE(make_move(chosen));
        search_ply = 0;
    }
    return texts;
}

std::string pgn_extract_path() {
    for (const char* p : {"/usr/games/pgn-extract", "/usr/bin/pgn-extract"})
        if (access(p, X_OK) == 0) return p;
    return "";
}

std::string file_text(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The movetext tokens of every game of a PGN file written by pgn-extract, move numbers, comments
// and results left out.
std::vector<std::vector<std::string>> games_in(const std::string& text) {
    std::vector<std::vector<std::string>> games;
    std::istringstream in(text);
    bool in_moves = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("[Event ", 0) == 0) {
            games.emplace_back();
            in_moves = false;
        } else if (!line.empty() && line[0] != '[') {
            in_moves = true;
        }
        if (!in_moves || games.empty()) continue;
        std::istringstream words(line);
        for (std::string w; words >> w;) {
            if (w == "1-0" || w == "0-1" || w == "1/2-1/2" || w == "*") continue;
            if (w.back() == '.') continue;
            if (w.back() == '#') w.back() = '+'; // mate is marked as check or as mate
            games.back().push_back(w);
        }
    }
    return games;
}

TEST(Pgn, LongGamesReadBackByPgnExtractWithTheSameMoves) {
    const std::string reader = pgn_extract_path();
    ASSERT_FALSE(reader.empty()) << "pgn-extract is missing: run scripts/install-deps.sh";
    const fs::path dir = fs::temp_directory_path() / ("chess3d-pgn-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);

    std::vector<std::vector<std::string>> coordinates, sans;
    std::string all;
    int castles = 0, en_passants = 0, promotions = 0, checks = 0, mates = 0;
    for (unsigned seed = 1; seed <= 10; ++seed) {
        const std::vector<std::string> texts = seeded_game(seed, 400);
        const std::vector<RecordedMove> moves = record_of(texts);
        ReplayedGame game;
        replay_recorded_game(moves.data(), int(moves.size()), game);
        ASSERT_EQ(game.refused_at, -1) << seed;
        ASSERT_EQ(game.san.size(), texts.size()) << seed;
        PgnTags tags;
        tags.event = "seed " + std::to_string(seed);
        const std::string text = pgn_text(tags, game);
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);)
            EXPECT_LT(line.size(), 80u) << line;
        all += text;
        coordinates.push_back(texts);
        // pgn-extract marks some mates with '+'.
        std::vector<std::string> san = game.san;
        for (std::string& s : san) {
            castles += s.rfind("O-O", 0) == 0;
            promotions += s.find('=') != std::string::npos;
            checks += s.back() == '+';
            mates += s.back() == '#';
            if (s.back() == '#') s.back() = '+';
        }
        sans.push_back(san);
    }
    // The games hold every kind of move the notation has.
    for (const auto& texts : coordinates) {
        init_position();
        for (const std::string& t : texts) {
            const Move m = to_move(text_move(t.c_str()));
            en_passants += (m.flags & MF_EN_PASSANT) != 0;
            ASSERT_TRUE(make_move(m));
            search_ply = 0;
        }
    }
    EXPECT_GE(castles, 4);
    EXPECT_GE(en_passants, 2);
    EXPECT_GE(promotions, 4);
    EXPECT_GE(checks, 20);
    EXPECT_GE(mates, 2);
    std::printf("%d castlings, %d en passant, %d promotions, %d checks, %d mates\n", castles,
                en_passants, promotions, checks, mates);

    std::ofstream(dir / "ours.pgn", std::ios::binary) << all;
    for (const char* format : {"uci", "san"}) {
        const fs::path out = dir / (std::string("theirs-") + format + ".pgn");
        const fs::path log = dir / (std::string("log-") + format + ".txt");
        const std::string command = reader + " -s --nocomments -W" + format + " -o " +
                                    out.string() + " " + (dir / "ours.pgn").string() + " 2> " +
                                    log.string();
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        EXPECT_EQ(file_text(log), "") << "pgn-extract reported errors";
        const auto games = games_in(file_text(out));
        ASSERT_EQ(games.size(), coordinates.size()) << format;
        for (size_t g = 0; g < games.size(); ++g) {
            const bool uci = std::string(format) == "uci";
            const auto& ours = uci ? coordinates[g] : sans[g];
            ASSERT_EQ(games[g].size(), ours.size()) << format << " game " << g + 1;
            for (size_t i = 0; i < ours.size(); ++i) {
                std::string theirs = games[g][i];
                if (uci && theirs.size() == 5) theirs[4] = char(theirs[4] | 0x20); // "e7e8Q"
                ASSERT_EQ(theirs, ours[i]) << format << " game " << g + 1 << " ply " << i;
            }
        }
    }
    fs::remove_all(dir);
}

// Output and exit status of a command run by the shell.
std::pair<std::string, int> run(const std::string& command) {
    std::string output;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return {"", -1};
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, p)) > 0;)
        output.append(chunk, n);
    const int status = pclose(p);
    return {output, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

TEST(Pgn, TheEngineToolPrintsThePgnOfASavedGame) {
    const fs::path dir =
        fs::temp_directory_path() / ("chess3d-pgn-tool-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::vector<RecordedMove> moves = record_of({"f2f3", "e7e5", "g2g4", "d8h4"});
    const std::string chs = (dir / "fool.chs").string();
    ASSERT_TRUE(write_saved_game(chs.c_str(), moves.data(), int(moves.size())));
    // The day the game started is not in the ".chs": the PGN copy a save writes beside it says
    // it, when it holds the beginning of the same game.
    const std::string command = "./chess3d-engine pgn " + chs;
    PgnTags tags, copy;
    copy.date = "2024.02.29";
    EXPECT_EQ(run(command), std::make_pair(pgn_of(moves, tags), 0)); // no copy: "????.??.??"
    std::ofstream(dir / "fool.pgn") << pgn_of(record_of({"f2f3", "e7e5"}), copy); // saved earlier
    tags.date = copy.date;
    EXPECT_EQ(run(command), std::make_pair(pgn_of(moves, tags), 0));
    std::ofstream(dir / "fool.pgn") << pgn_of(record_of({"e2e4"}), copy); // another game's
    tags.date = "????.??.??";
    EXPECT_EQ(run(command), std::make_pair(pgn_of(moves, tags), 0));

    std::ofstream(dir / "damaged.chs") << "4351044\nnot-a-move\n";
    EXPECT_EQ(run("./chess3d-engine pgn " + (dir / "damaged.chs").string() + " 2>&1"),
              std::make_pair(std::string("chess3d-engine: ") + (dir / "damaged.chs").string() +
                                 " is not a saved game (damaged)\n",
                             1));
    EXPECT_EQ(run("./chess3d-engine pgn " + (dir / "none.chs").string() + " 2>/dev/null").second,
              1);
    fs::remove_all(dir);
}

// --- Reading PGN -----------------------------------------------------------------------------

// Every game of `file` imported by the tool, printed back as PGN by the tool and read again:
// the same SAN, marks aside (castling with zeros as with letters; pgn-extract marks some mates
// with '+'). Counts the games and moves.
void round_trip(const fs::path& file, const fs::path& dir, int& games, int& moves) {
    auto plain = [](std::vector<std::string> tokens) {
        for (std::string& t : tokens) {
            t = std::regex_replace(t, std::regex("[!?]+$"), "");
            t = std::regex_replace(std::regex_replace(t, std::regex("#"), "+"), std::regex("0"),
                                   "O");
        }
        return tokens;
    };
    const std::string text = file_text(file), chs = (dir / "import.chs").string();
    const std::vector<PgnGame> read = read_pgn_games(text.data(), text.size());
    for (size_t g = 0; g < read.size(); ++g, ++games) {
        const std::string number = std::to_string(g + 1);
        ASSERT_EQ(
            run("./chess3d-engine import " + file.string() + " " + number + " > " + chs).second, 0)
            << file << " game " << number;
        const std::string back = run("./chess3d-engine pgn " + chs).first;
        const std::vector<PgnGame> again = read_pgn_games(back.data(), back.size());
        ASSERT_EQ(again.size(), 1u);
        EXPECT_EQ(plain(again[0].moves), plain(read[g].moves)) << file << " game " << number;
        moves += int(read[g].moves.size());
    }
}

TEST(Pgn, EveryGameOfHandWrittenAndPgnExtractFilesComesBackWithTheSameMoves) {
    const std::string reader = pgn_extract_path();
    ASSERT_FALSE(reader.empty()) << "pgn-extract is missing: run scripts/install-deps.sh";
    const fs::path dir = fs::temp_directory_path() / ("chess3d-pgn-in-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    // Written by hand with every construct the reader takes, and long seeded games; and
    // pgn-extract's copies of both, in its own layout with the comments, variations and glyphs
    // kept (it reads neither comments after ';' nor <reserved> text, "e.p." or "+-").
    const fs::path hand =
        fs::path(CHESS3D_SOURCE_DIR) / "tests/fuzz/corpus/fuzz_pgn/constructs.pgn";
    std::string readable = file_text(hand), seeded;
    for (const char* what : {";[^\n]*", "<[^>]*>", " e\\.p\\.", " \\+-"})
        readable = std::regex_replace(readable, std::regex(what), "");
    for (unsigned seed = 11; seed <= 16; ++seed)
        seeded += pgn_of(record_of(seeded_game(seed, 300)));
    std::ofstream(dir / "readable.pgn", std::ios::binary) << readable;
    std::ofstream(dir / "seeded.pgn", std::ios::binary) << seeded;
    int files = 0, games = 0, moves = 0;
    for (const fs::path& source : {hand, dir / "seeded.pgn"}) {
        const fs::path out = dir / ("extract-" + source.filename().string());
        const fs::path in = source == hand ? dir / "readable.pgn" : source;
        ASSERT_EQ(std::system((reader + " -s -o " + out.string() + " " + in.string()).c_str()), 0);
        for (const fs::path& file : {source, out}) {
            round_trip(file, dir, games, moves);
            ++files;
        }
    }
    // Stockfish against itself to mate, sixteen times, written in SAN by pgn-extract.
    round_trip(hand.parent_path() / "stockfish-games.pgn", dir, games, moves), ++files;
    std::printf("round trip: %d files, %d games, %d moves\n", files, games, moves);
    EXPECT_GE(games, 36);
    fs::remove_all(dir);
}

TEST(Pgn, GamesTheBoardCannotShowAreRefusedWholeNamingTheirMove) {
    const char* text = "[SetUp \"1\"]\n[FEN \"4k3/8/8/8/8/8/8/4K2R w K - 0 1\"]\n\n1. O-O *\n"
                       "[SetUp \"1\"]\n[FEN \"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq "
                       "- 0 1\"]\n\n1. e4 *\n"
                       "1. e4 d5 2. exd5 c6 3. dxc6 e5 4. cxb7 e4 5. bxa8=N *\n"
                       "1. e4 e5 2. Ke3 *\n"
                       "1. Nf3 d5 2. Nc3 d4 3. Ne4 Nc6 4. c3 Nf6 5. Ng5 *\n"
                       "1. e4 -- 2. d4 *\n";
    const std::vector<PgnGame> games = read_pgn_games(text, std::strlen(text));
    const char* expected[] = {"Set-up position : not loaded",    "",
                              "Promotion 5.bxa8=N : not loaded", "Illegal 2.Ke3 : not loaded",
                              "Ambiguous 5.Ng5 : not loaded",    "Illegal 1...-- : not loaded"};
    ASSERT_EQ(games.size(), std::size(expected));
    ASSERT_TRUE(
        set_position_fen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"));
    const std::string before = position_fen();
    for (size_t g = 0; g < games.size(); ++g) {
        std::vector<RecordedMove> moves;
        EXPECT_EQ(pgn_game_moves(games[g], moves), expected[g]) << "game " << g + 1;
        EXPECT_EQ(moves.size(), expected[g][0] ? 0u : 1u);
        EXPECT_EQ(position_fen(), before);
    }
}

// Texts made to exhaust the reader: what it keeps stays within its limits, the games are refused
// with their reason, and a count stops at its limit without reading the rest of the file.
TEST(Pgn, HugeGamesAreCappedAndACountStopsAtItsLimit) {
    std::string text;
    text.reserve(5 << 20);
    for (int i = 0; i < 2'000'000; ++i)
        text += "a ";
    text += "*\n[Long \"" + std::string(1 << 20, 'v') + "\"]\n";
    for (int i = 0; i < 200'000; ++i)
        text += "[T \"v\"]\n";
    text += "1. " + std::string(1 << 20, 'x') + " *\n";
    const std::vector<PgnGame> games = read_pgn_games(text.data(), text.size());
    ASSERT_EQ(games.size(), 2u);
    EXPECT_EQ(games[0].moves.size(), PGN_GAME_MOVES_MAX);
    EXPECT_EQ(games[1].tags.size(), PGN_GAME_TAGS_MAX);
    EXPECT_EQ(games[1].tags[0].second.size(), PGN_TAG_TEXT_MAX);
    ASSERT_EQ(games[1].moves.size(), 1u);
    EXPECT_EQ(games[1].moves[0].size(), PGN_TOKEN_MAX);

    const fs::path dir =
        fs::temp_directory_path() / ("chess3d-pgn-big-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string huge = (dir / "huge.pgn").string(), many = (dir / "many.pgn").string();
    std::ofstream(huge, std::ios::binary) << text;
    PgnLoaded loaded;
    EXPECT_EQ(load_pgn_game(huge.c_str(), 1, loaded), "PGN game too long : not loaded");
    EXPECT_EQ(load_pgn_game(huge.c_str(), 2, loaded), "Too many PGN tags : not loaded");
    EXPECT_EQ(count_pgn_games(huge.c_str(), 1000), 2);

    // 5,000 games: 1,000 counted, the file read no further than a block past game 1,001's start.
    std::string games5000;
    size_t game1001 = 0;
    for (int i = 0; i < 5000; ++i) {
        if (i == 1000) game1001 = games5000.size();
        games5000 += "[Event \"" + std::to_string(i) + "\"]\n\n1. e4 e5 2. Nf3 Nc6 *\n\n";
    }
    std::ofstream(many, std::ios::binary) << games5000;
    size_t read = 0;
    EXPECT_EQ(count_pgn_games(many.c_str(), 1000, &read), 1000);
    EXPECT_GT(read, game1001);
    EXPECT_LE(read, game1001 + (64 << 10));
    EXPECT_LT(read, games5000.size() / 2);
    EXPECT_EQ(count_pgn_games(many.c_str(), 9999), 5000);
    EXPECT_EQ(load_pgn_game(many.c_str(), 4321, loaded), "");
    EXPECT_EQ(loaded.moves.size(), 4u);
    fs::remove_all(dir);
}

TEST(Pgn, PathsAndDates) {
    EXPECT_EQ(pgn_path_beside("./Save/game.chs"), "./Save/game.pgn");
    EXPECT_EQ(pgn_path_beside("./Save/game"), "./Save/game.pgn");
    EXPECT_EQ(pgn_path_beside("a.chs.chs"), "a.chs.pgn");
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 0;
    t.tm_mday = 5;
    t.tm_hour = 12;
    EXPECT_EQ(pgn_date(std::mktime(&t)), "2026.01.05");
    PgnTags tags;
    tags.white = "A \"quoted\" \\ name";
    EXPECT_NE(pgn_text(tags, ReplayedGame{}).find("[White \"A \\\"quoted\\\" \\\\ name\"]"),
              std::string::npos);
}

} // namespace
