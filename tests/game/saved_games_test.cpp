// SPDX-License-Identifier: GPL-3.0-or-later
// Saved games: the file format, round trips with captures, damaged files refused whole, a save
// that cannot complete, the listing in the engine's log, and the load screen's list made beside
// the caller.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "chess/fen.h"
#include "engine/KivEngine.h"
#include "game/file_jobs.h"
#include "game/game_model.h"
#include "game/load_list.h"
#include "game/pgn.h"
#include "game/player_info.h"
#include "game/save_folder.h"
#include "game/saved_games.h"
#include "tests/board/board_test_support.h"

using namespace board_test;
namespace fs = std::filesystem;

namespace {

class SavedGames : public BoardFixture {
protected:
    void SetUp() override {
        BoardFixture::SetUp();
        dir = fs::temp_directory_path() / ("chess3d-saved-" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        // A log of this test's own: the one in the program's folder is started afresh by
        // every other test program that starts meanwhile.
        KSetLogFolder(dir.c_str());
        KivInitDLL();
    }
    void TearDown() override {
        KivFreeDLL();
        KSetLogFolder(nullptr);
        fs::remove_all(dir);
        BoardFixture::TearDown();
    }
    std::string path(const char* name) { return (dir / name).string(); }
    static std::string contents(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static void write(const std::string& p, const std::string& text) {
        std::ofstream(p, std::ios::binary) << text;
    }
    // Temporary files left in the folder (a save writes one and renames it).
    int temporaries() {
        int n = 0;
        for (const auto& e : fs::directory_iterator(dir))
            n += e.path().extension() == ".tmp";
        return n;
    }
    std::vector<RecordedMove> recorded() {
        return std::vector<RecordedMove>(g_game->record.moves.begin(), g_game->record.moves.end());
    }
    fs::path dir;
};

std::vector<std::string> g_listed; // the load list's lines taken, as "file#game/games"

void takeLines(const std::vector<LoadableGame>& lines, bool complete) {
    for (const LoadableGame& l : lines)
        g_listed.push_back(l.file + "#" + std::to_string(l.game) + "/" + std::to_string(l.games));
    if (complete) g_listed.push_back("complete");
}

TEST_F(SavedGames, RoundTripKeepsMovesAndCapturesInOrder) {
    for (const char* m : {"e2e4", "d7d5", "e4d5", "d8d5", "b1c3", "d5a2", "a1a2"})
        ASSERT_TRUE(play(m)) << m;
    std::vector<RecordedMove> before = recorded();
    std::vector<PieceId> captured(g_game->record.captured.begin(), g_game->record.captured.end());
    ASSERT_EQ(captured.size(), 4u);
    ASSERT_TRUE(g_game->record.SaveGame(path("game.chs").c_str()));

    // One "%d\n" line per move, nothing else.
    std::string expected;
    for (RecordedMove m : before)
        expected += std::to_string(m) + "\n";
    EXPECT_EQ(contents(path("game.chs")), expected);
    EXPECT_EQ(temporaries(), 0);

    g_game->record.NewGame(true);
    g_board->reset(0);
    ASSERT_TRUE(g_game->record.LoadGame(path("game.chs").c_str()));
    EXPECT_EQ(recorded(), before);
    EXPECT_EQ(std::vector<PieceId>(g_game->record.captured.begin(), g_game->record.captured.end()),
              captured);
    g_game->record.RestoreBoard();
    EXPECT_EQ(at("a2")->kind, KIND_ROOK);
    EXPECT_EQ(g_game->pieceOf(1, KIND_QUEEN, 0)->square, nullptr);
    EXPECT_EQ(g_game->sideToMove, 1);
    EXPECT_EQ(square_piece[sq("a2")], ROOK);
}

TEST_F(SavedGames, EmptyGameAndCarriageReturns) {
    ASSERT_TRUE(g_game->record.SaveGame(path("empty.chs").c_str()));
    EXPECT_EQ(contents(path("empty.chs")), "");
    ASSERT_TRUE(play("e2e4"));
    ASSERT_TRUE(g_game->record.LoadGame(path("empty.chs").c_str()));
    EXPECT_EQ(g_game->record.moves.count, 0);
    EXPECT_EQ(g_game->record.square_ids[sq("e2")], make_piece_id(0, KIND_PAWN, 4));

    write(path("dos.chs"),
          "4351044\r\n\r\n  " + std::to_string(make_recorded_move(1, 4, 3, 4, 1, 2, 4)) + "\r\n");
    ASSERT_TRUE(g_game->record.LoadGame(path("dos.chs").c_str()));
    ASSERT_EQ(g_game->record.moves.count, 2);
    EXPECT_EQ(g_game->record.moves[0], 4351044);
    EXPECT_EQ(g_game->record.square_ids[sq("e5")], make_piece_id(1, KIND_PAWN, 4));
}

TEST_F(SavedGames, DamagedFilesAreRefusedWhole) {
    ASSERT_TRUE(play("e2e4"));
    const std::string e4 = "4351044\n";
    const std::string e5 = std::to_string(make_recorded_move(1, 4, 3, 4, 1, 2, 4)) + "\n";
    struct Case {
        const char* why;
        std::string text;
    } cases[] = {
        {"kind 1", e4 + std::to_string(make_recorded_move(1, 4, 3, 4, 1, 1, 4)) + "\n"},
        {"king index 1", e4 + std::to_string(make_recorded_move(0, 4, 1, 4, 1, 4, 1)) + "\n"},
        {"bit 26", e4 + std::to_string(make_recorded_move(1, 4, 3, 4, 1, 2, 4) | 1 << 26) + "\n"},
        {"negative", "-4351044\n"},
        {"origin without that piece",
         e4 + std::to_string(make_recorded_move(1, 3, 3, 3, 1, 2, 4)) + "\n"},
        {"the same piece twice from its start", e4 + "4351044\n"},
        {"takes its own side", std::to_string(make_recorded_move(7, 0, 6, 0, 0, 7, 0)) + "\n"},
        {"not a number", e4 + e5 + "e2e4\n"},
        {"number glued to text", e4 + "4351044x\n"},
        {"beyond 32 bits", "99999999999\n"},
        {"White twice", e4 + "3302211\n"}, // d2-d4 after e2-e4
        {"the check ignored",
         e4 + std::to_string(make_recorded_move(1, 5, 3, 5, 1, 2, 5)) + "\n" + // f7-f5
             std::to_string(make_recorded_move(7, 3, 3, 7, 0, 3, 0)) + "\n" +  // Qd1-h5+
             std::to_string(make_recorded_move(1, 0, 2, 0, 1, 2, 0)) + "\n"},  // a7-a6
        {"a bishop through a pawn", std::to_string(make_recorded_move(7, 5, 4, 2, 0, 5, 1)) + "\n"},
    };
    for (const Case& c : cases) {
        write(path("bad.chs"), c.text);
        forgetPlayerMessage();
        EXPECT_FALSE(g_game->record.LoadGame(path("bad.chs").c_str())) << c.why;
        EXPECT_STREQ(lastPlayerMessage(), "Damaged saved game : not loaded") << c.why;
        ASSERT_EQ(g_game->record.moves.count, 1) << c.why;
        EXPECT_EQ(g_game->record.moves[0], 4351044) << c.why;
        EXPECT_EQ(g_game->record.square_ids[sq("e4")], make_piece_id(0, KIND_PAWN, 4)) << c.why;
    }
    // The screens rebuild the board after a load whatever its result: the engine still follows
    // the record, it does not get the moves a second time.
    g_game->record.RestoreBoard();
    EXPECT_EQ(history_ply, 1);
    EXPECT_EQ(square_color[sq("e4")], WHITE);
    EXPECT_EQ(square_color[sq("e2")], EMPTY);
    EXPECT_EQ(side_to_move, BLACK);
    EXPECT_EQ(g_game->sideToMove, 1);

    // A missing file: false, nothing said, nothing changed.
    forgetPlayerMessage();
    EXPECT_FALSE(g_game->record.LoadGame(path("none.chs").c_str()));
    EXPECT_EQ(lastPlayerMessage(), nullptr);
    EXPECT_EQ(g_game->record.moves.count, 1);

    // A refused file leaves the engine on the current game, with no rebuild of the board.
    write(path("bad.chs"), "3302211\n" + e4); // d2-d4, then White again
    ASSERT_FALSE(g_game->record.LoadGame(path("bad.chs").c_str()));
    EXPECT_EQ(history_ply, 1);
    EXPECT_EQ(side_to_move, BLACK);
    EXPECT_EQ(square_color[sq("e4")], WHITE);
    EXPECT_EQ(square_color[sq("d4")], EMPTY);
    EXPECT_TRUE(play("e7e5")) << "the engine takes Black's move";
}

TEST_F(SavedGames, AFailedSaveSaysSoAndKeepsTheOldFile) {
    ASSERT_TRUE(play("e2e4"));
    EXPECT_FALSE(g_game->record.SaveGame(path("no/such/folder/game.chs").c_str()));
    // The target is a folder: the new file is written but cannot replace it.
    fs::create_directories(path("taken.chs"));
    write(path("taken.chs/inside"), "keep");
    EXPECT_FALSE(g_game->record.SaveGame(path("taken.chs").c_str()));
    EXPECT_EQ(temporaries(), 0);
    EXPECT_EQ(contents(path("taken.chs/inside")), "keep");
    // A good save over an older one replaces it whole.
    write(path("old.chs"), "1\n2\n3\n4\n5\n6\n7\n8\n");
    ASSERT_TRUE(g_game->record.SaveGame(path("old.chs").c_str()));
    EXPECT_EQ(contents(path("old.chs")), "4351044\n");
}

TEST_F(SavedGames, ASaveWritesThePgnBesideAndAFailedPgnLeavesTheSaveWhole) {
    // Fool's mate, the player holding Black against the computer.
    for (const char* m : {"f2f3", "e7e5", "g2g4", "d8h4"})
        ASSERT_TRUE(play(m)) << m;
    g_game->humanColour = 1;
    const std::string fen = position_fen();
    const int history = history_ply;
    ASSERT_TRUE(g_game->record.SaveGame(path("fool.chs").c_str()));
    const std::string pgn = contents(path("fool.pgn"));
    EXPECT_NE(pgn.find("[White \"Computer\"]\n[Black \"Black\"]\n[Result \"0-1\"]\n\n"
                       "1. f3 e5 2. g4 Qh4# {Black mates} 0-1\n"),
              std::string::npos)
        << pgn;
    EXPECT_NE(pgn.find("[Date \"" + pgn_date(std::time(nullptr)) + "\"]"), std::string::npos);
    EXPECT_EQ(temporaries(), 0);
    // Writing the PGN replays the game on the engine: the game in progress is left as it was.
    EXPECT_EQ(position_fen(), fen);
    EXPECT_EQ(history_ply, history);

    // The PGN's place is taken by a folder: the saved game is written all the same.
    fs::create_directories(path("blocked.pgn"));
    ASSERT_TRUE(g_game->record.SaveGame(path("blocked.chs").c_str()));
    EXPECT_EQ(contents(path("blocked.chs")), contents(path("fool.chs")));
    EXPECT_TRUE(fs::is_directory(path("blocked.pgn")));
    EXPECT_EQ(temporaries(), 0);
}

TEST_F(SavedGames, APgnGameLoadsWholeOrNotAtAllAndItsDayGoesWithTheSavedGame) {
    write(path("games.pgn"), "[Date \"1858.??.??\"]\n1. e4 e5 2. Nf3 d6 *\n\n1. e4 e5 2. Nf6 *\n");
    ASSERT_TRUE(play("d2d4"));
    const std::vector<RecordedMove> before = recorded();
    const std::string fen = position_fen();
    EXPECT_FALSE(g_game->record.LoadGame((path("games.pgn") + "#2").c_str()));
    EXPECT_STREQ(lastPlayerMessage(), "Illegal 2.Nf6 : not loaded");
    EXPECT_FALSE(g_game->record.LoadGame((path("games.pgn") + "#3").c_str()));
    EXPECT_STREQ(lastPlayerMessage(), "No PGN game 3 : not loaded");
    EXPECT_EQ(recorded(), before);
    EXPECT_EQ(position_fen(), fen);

    // The first game, continued and saved: the copy beside the ".chs" keeps the day the game
    // started, and a load of that ".chs" takes it from there for the next save.
    ASSERT_TRUE(g_game->record.LoadGame(path("games.pgn").c_str()));
    g_game->record.RestoreBoard();
    EXPECT_EQ(recorded().size(), 4u);
    EXPECT_EQ(at("d6")->kind, KIND_PAWN);
    ASSERT_TRUE(play("f1c4"));
    ASSERT_TRUE(g_game->record.SaveGame(path("opera.chs").c_str()));
    g_game->record.NewGame(true);
    ASSERT_TRUE(g_game->record.LoadGame(path("opera.chs").c_str()));
    ASSERT_TRUE(g_game->record.SaveGame(path("again.chs").c_str()));
    for (const char* copy : {"opera.pgn", "again.pgn"})
        EXPECT_NE(contents(path(copy)).find("[Date \"1858.??.??\"]"), std::string::npos) << copy;
}

TEST_F(SavedGames, ASaveIsANewFileRenamedOverTheOld) {
    // A second name for the old file keeps the old contents: the save wrote a new file and
    // renamed it, it did not write into the old one (which a crash midway would leave torn).
    write(path("old.chs"), "4351044\n");
    fs::create_hard_link(path("old.chs"), path("link.chs"));
    ASSERT_TRUE(play("e2e4"));
    ASSERT_TRUE(play("e7e5"));
    ASSERT_TRUE(g_game->record.SaveGame(path("old.chs").c_str()));
    EXPECT_EQ(contents(path("link.chs")), "4351044\n");
    EXPECT_EQ(contents(path("old.chs")),
              "4351044\n" + std::to_string(g_game->record.moves[1]) + "\n");
    EXPECT_EQ(fs::hard_link_count(path("old.chs")), 1u);
}

TEST_F(SavedGames, OnlyRegularFilesOfASaneSizeAreReadAndPlantedLinksAreNotWrittenThrough) {
    alarm(20); // a read that waits on a pipe ends the test here instead of hanging it
    std::vector<RecordedMove> moves;
    ASSERT_EQ(mkfifo(path("pipe.chs").c_str(), 0644), 0);
    EXPECT_EQ(read_saved_game(path("pipe.chs").c_str(), moves), SavedGameRead::CannotOpen);
    fs::create_directories(path("folder.chs"));
    EXPECT_EQ(read_saved_game(path("folder.chs").c_str(), moves), SavedGameRead::CannotOpen);
    write(path("huge.chs"), "");
    fs::resize_file(path("huge.chs"), SAVED_GAME_MAX_BYTES + 1); // sparse: costs no disk
    EXPECT_EQ(read_saved_game(path("huge.chs").c_str(), moves), SavedGameRead::Damaged);
    EXPECT_FALSE(g_game->record.LoadGame(path("pipe.chs").c_str()));
    alarm(0);

    // Whatever name a save would use for its temporary file, a link planted there is not
    // followed: the file it points to stays as it was.
    write(path("victim"), "keep");
    fs::create_symlink(path("victim"), path("game.chs.tmp"));
    for (int attempt = 0; attempt < 3; ++attempt)
        fs::create_symlink(path("victim"), path(("game.chs." + std::to_string(getpid()) + "." +
                                                 std::to_string(attempt) + ".tmp")
                                                    .c_str()));
    ASSERT_TRUE(play("e2e4"));
    ASSERT_TRUE(g_game->record.SaveGame(path("game.chs").c_str()));
    EXPECT_EQ(contents(path("victim")), "keep");
    EXPECT_EQ(contents(path("game.chs")), "4351044\n");
}

TEST_F(SavedGames, ListingIsSortedAndWrittenToTheLog) {
    // Only what this test appends to the engine's log is looked at.
    const size_t logStart = contents(KLogPath()).size();
    fs::path cwd = fs::current_path();
    fs::current_path(dir);
    EXPECT_EQ(g_game->record.ListSavedGames(), 0);
    fs::create_directories("Save");
    write("Save/zeta.chs", "4351044\n");
    write("Save/alpha.chs", "");
    write("Save/Mid.CHS", "");
    write("Save/notes.txt", "");
    int n = g_game->record.ListSavedGames();
    fs::current_path(cwd);
    ASSERT_EQ(n, 3);
    EXPECT_EQ(g_game->record.saved_file_names[0], "alpha.chs");
    EXPECT_EQ(g_game->record.saved_file_names[1], "Mid.CHS");
    EXPECT_EQ(g_game->record.saved_file_names[2], "zeta.chs");
    std::string log = contents(KLogPath());
    log = log.substr(log.size() >= logStart ? logStart : 0);
    EXPECT_NE(log.find("ERROR : No *.chs files in current directory !\n"), std::string::npos);
    EXPECT_NE(
        log.find("\nListing of .chs files\n\nFILE         DATE                           SIZE\n"
                 "----         ----                           ----\n"),
        std::string::npos);
    size_t zeta = log.find(" zeta.chs     ");
    ASSERT_NE(zeta, std::string::npos);
    // " %-12s %.24s  %9ld\n": name, 24-character date, two spaces, size on nine columns.
    std::string line = log.substr(zeta, log.find('\n', zeta) - zeta);
    EXPECT_EQ(line.size(), 1 + 12 + 1 + 24 + 2 + 9u) << line;
    EXPECT_EQ(line.substr(line.size() - 9), "        8");
    EXPECT_LT(log.find(" alpha.chs"), log.find(" Mid.CHS"));
    EXPECT_LT(log.find(" Mid.CHS"), zeta);
}

// The load list comes back a part at a time when the caller takes the worker's results, never
// during the call; a PGN file's count is remembered while its size and time stay the same.
TEST_F(SavedGames, TheLoadListIsMadeBesideTheCallerAndRemembersUnchangedFiles) {
    set_save_folder(dir.string());
    write(path("kept.chs"), "");
    write(path("kept.pgn"), "1. e4 *\n"); // the copy a save wrote beside it: not listed again
    const std::string two = "1. e4 e5 *\n1. d4 d5 *\n\n\n", three = "1. e4 *\n1. d4 *\n1. c4 *\n";
    ASSERT_EQ(two.size(), three.size());
    write(path("db.pgn"), three);
    const auto list = [] {
        g_listed.clear();
        start_load_list(g_game->record, takeLines);
        EXPECT_TRUE(g_listed.empty());
        finish_file_jobs();
        return g_listed;
    };
    using Lines = std::vector<std::string>;
    EXPECT_EQ(list(),
              (Lines{"kept.chs#0/0", "db.pgn#1/3", "db.pgn#2/3", "db.pgn#3/3", "complete"}));
    // Other games, same size and time: the count remembered stands. A new time: read again.
    struct stat st {};
    ASSERT_EQ(stat(path("db.pgn").c_str(), &st), 0);
    write(path("db.pgn"), two);
    timespec times[2] = {st.st_atim, st.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, path("db.pgn").c_str(), times, 0), 0);
    EXPECT_EQ(list().size(), 5u);
    times[1].tv_sec -= 10;
    ASSERT_EQ(utimensat(AT_FDCWD, path("db.pgn").c_str(), times, 0), 0);
    EXPECT_EQ(list(), (Lines{"kept.chs#0/0", "db.pgn#1/2", "db.pgn#2/2", "complete"}));
    // A list no longer wanted gives nothing more.
    g_listed.clear();
    start_load_list(g_game->record, takeLines);
    stop_load_list();
    finish_file_jobs();
    EXPECT_TRUE(g_listed.empty());
    set_save_folder("./Save/");
}

} // namespace
