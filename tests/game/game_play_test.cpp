// SPDX-License-Identifier: GPL-3.0-or-later
// A whole game against the computer in one process: the game built as the program builds it,
// driven frame by frame with the test clock and clicked through the mouse callback. After every
// move the board's records, the game record and the engine's position agree square for square.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "anim/anim_manager.h"
#include "app/app_state.h"
#include "app/game_main.h"
#include "app/input.h"
#include "board/board_moves.h"
#include "board/board_scene.h"
#include "board/camera_views.h"
#include "board/intro.h"
#include "chess/fen.h"
#include "chess/make_move.h"
#include "chess/move_gen.h"
#include "chess/position.h"
#include "chess/search.h"
#include "engine/KivEngine.h"
#include "game/game_end_state.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/player_info.h"
#include "game/saved_games.h"
#include "net/KivNetwork.h"
#include "netplay/net_session.h"
#include "ui/game_end_banner.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"

namespace {

bool g_built = false;

template <class Done> bool runUntil(Done done, int maxFrames, double dt = 0.25) {
    for (int i = 0; i < maxFrames; ++i) {
        if (done()) return true;
        KAdvanceTestClock(dt);
        if (!runFrame()) return false;
    }
    return done();
}

bool settled() {
    return !g_game->pieceInMotion && !IsCameraMoving();
}

// Window pixel of a world point as the board's camera sees it; false behind the camera.
bool project(const KVector& p, int& x, int& y) {
    KCamera* cam = g_board->camera->AsCamera();
    if (!cam) return false;
    cam->GetWorldMatrix();
    const float w = float(g_app->width), h = float(g_app->height);
    KMatrix m = cam->GetProjMatrix(w / h) * cam->GetViewMatrix();
    const float* a = m.m;
    float cx = a[0] * p.x + a[4] * p.y + a[8] * p.z + a[12];
    float cy = a[1] * p.x + a[5] * p.y + a[9] * p.z + a[13];
    float cw = a[3] * p.x + a[7] * p.y + a[11] * p.z + a[15];
    if (cw <= 0.01f) return false;
    x = int((cx / cw + 1) * 0.5f * w);
    y = int((1 - cy / cw) * 0.5f * h);
    return x >= 0 && y >= 0 && x < w && y < h;
}

// The square a click at (x, y) reaches, as the mouse handler finds it.
SquareRecord* squareUnder(int x, int y) {
    KNodeGraph* n = g_scene->Getinfo(x, y);
    while (n && n->tag == 0)
        n = n->parent;
    if (!n) return nullptr;
    if (n->tag == SQUARE_TAG) return g_board->squareOfNode(n);
    PieceRecord* p = g_board->pieceOfNode(n);
    return p ? p->square : nullptr;
}

// Clicks square `s` with the left button through the mouse callback, at a point of the square
// (or of the piece on it) that the pick reaches, and lets the camera's turn towards it end,
// unless the click started a glide: the turn may outlast the glide, whose end starts the rest
// of the turn (the camera's travel, the computer's answer).
void clickSquare(int s) {
    SquareRecord* target = &g_game->squares[s];
    KVector centre = target->node->GetWorldMatrix().GetTrans();
    static const float OFFSETS[][3] = {
        {0, 0.3f, 0}, {0, 0.05f, 0.35f}, {0.3f, 0.05f, 0.35f}, {-0.3f, 0.05f, 0.35f},
        {0, 0.6f, 0}, {0.3f, 0.05f, 0},  {-0.3f, 0.05f, 0},    {0, 0.05f, -0.35f}};
    for (const auto& o : OFFSETS) {
        int x, y;
        if (!project(centre + KVector(o[0], o[1], o[2]), x, y)) continue;
        if (squareUnder(x, y) != target) continue;
        onMouseDown(1, x, y);
        runUntil([] { return !IsCameraMoving() || g_game->pieceInMotion; }, 40);
        return;
    }
    ADD_FAILURE() << "no pixel of square " << s << " can be clicked";
}

// What the game is doing, for failure messages.
std::string state() {
    char line[200];
    std::snprintf(line, sizeof line,
                  "moves %d, side %d, human %d, awaiting %d, gliding %d, camera moving %d, "
                  "view %d, last message \"%s\"",
                  g_game->record.moves.count, g_game->sideToMove, g_game->humanColour,
                  g_game->awaitingOpponent, g_game->pieceInMotion != nullptr, IsCameraMoving(),
                  g_anim->view_index, lastPlayerMessage() ? lastPlayerMessage() : "");
    return line;
}

std::string text(int from, int to) {
    char t[5] = {char('a' + from % 8), char('8' - from / 8), char('a' + to % 8), char('8' - to / 8),
                 0};
    return t;
}

// The local player's choice: a capture if there is one, else the first of a few opening moves,
// else the engine's first legal move.
bool chooseMove(int& from, int& to) {
    std::vector<Move> legal;
    for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i) {
        Move m = move_stack[i].move;
        if ((m.flags & MF_PROMOTE) && m.promote != QUEEN) continue;
        if (make_move(m)) {
            take_back();
            legal.push_back(m);
        }
    }
    if (legal.empty()) return false;
    Move pick = legal[0];
    bool found = false;
    for (Move m : legal)
        if (m.flags & MF_CAPTURE) {
            pick = m;
            found = true;
            break;
        }
    for (const char* want : {"e2e4", "d2d4", "g1f3", "b1c3", "f1c4", "c2c3", "h2h3"}) {
        if (found) break;
        for (Move m : legal)
            if (text(m.from, m.to) == want) {
                pick = m;
                found = true;
                break;
            }
    }
    from = pick.from;
    to = pick.to;
    return true;
}

void expectAllAgree(const char* when) {
    static const int ENGINE_KIND[8] = {-1, -1, PAWN, QUEEN, KING, BISHOP, KNIGHT, ROOK};
    for (int s = 0; s < 64; ++s) {
        PieceRecord* p = g_game->squares[s].piece;
        PieceId id = g_game->record.square_ids[s];
        ASSERT_EQ(p == nullptr, id == NO_PIECE) << when << ", square " << s;
        ASSERT_EQ(p == nullptr, square_color[s] == EMPTY) << when << ", square " << s;
        if (!p) continue;
        EXPECT_EQ(id, make_piece_id(p->colour, p->kind, p->index)) << when << ", square " << s;
        EXPECT_EQ(p->colour, square_color[s]) << when << ", square " << s;
        EXPECT_EQ(ENGINE_KIND[movingKind(p)], square_piece[s]) << when << ", square " << s;
        EXPECT_EQ(p->node->parent, g_game->squares[s].node) << when << ", square " << s;
    }
    for (PieceId id : g_game->record.captured) {
        PieceRecord* p = g_game->pieceOf(id_colour(id), id_kind(id), id_index(id));
        EXPECT_EQ(p->square, nullptr) << when;
        EXPECT_EQ(p->node->parent, g_board->graveyardNode) << when;
    }
    EXPECT_EQ(g_game->sideToMove, side_to_move) << when;
}

// The recorded moves of a game given as "e2e4" texts, each piece named as the record names it.
std::vector<RecordedMove> recordedGame(std::initializer_list<const char*> texts) {
    PieceId ids[64];
    PromotedPawns promoted = 0;
    start_square_ids(ids);
    std::vector<RecordedMove> out;
    for (const char* t : texts) {
        int fc = t[0] - 'a', fr = '8' - t[1], tc = t[2] - 'a', tr = '8' - t[3];
        PieceId id = ids[fr * 8 + fc];
        RecordedMove m =
            make_recorded_move(fr, fc, tr, tc, id_colour(id), id_kind(id), id_index(id));
        EXPECT_TRUE(apply_recorded_move(m, ids, &promoted, nullptr, true)) << t;
        out.push_back(m);
    }
    return out;
}

// Whether an indicator ("turn", "player") has come to face Black's side (its turn of 180
// degrees) rather than White's; the indicator's animation is run to its end first.
bool facesBlack(KNodeGraph* indicator) {
    runUntil(
        [&] {
            const NodeAnimEntry* e = FindNodeEntry(indicator);
            return !e || e->state == ANIM_STOPPED;
        },
        40, 0.1);
    indicator->prs.CreateMatrix();
    return indicator->prs.matrix.TransformDir(KVector(0, 0, 1)).z < 0;
}

// After a load, a take-back or a swap: everything agrees, the turn sign shows the side to move
// and the player sign the local player's colour.
void expectSettledGame(const std::string& when) {
    ASSERT_TRUE(runUntil(settled, 200)) << when << ": " << state();
    expectAllAgree(when.c_str());
    EXPECT_EQ(facesBlack(g_ui->turn), g_game->sideToMove == 1) << when;
    EXPECT_FALSE(g_ui->player->hidden) << when;
    EXPECT_EQ(facesBlack(g_ui->player), g_game->humanColour == 1) << when;
}

class GamePlay : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("SDL_VIDEODRIVER", "offscreen", 0); // as CTest sets it: no display needed
        KivInitDLL();
        KSetTestClock(true);
        g_built = buildGame();
        if (!g_built) return;
        // The intro skipped, the menu up, then a new game as White from the menu.
        IntroSkip();
        runUntil([] { return g_game->menuOpen != 0; }, 300);
        // A small window keeps the software renderer quick; the search depth does not matter
        // to what is tested here.
        shrinkWindow();
        shrinkWindow();
        startNewGame(0);
        max_depth = 2;
        g_game->gameStarted = 1;
        toggleMenu();
        runUntil([] { return !g_game->menuOpen && !g_game->boardLocked && settled(); }, 300);
    }
    void SetUp() override {
        if (!g_built) GTEST_SKIP() << "the game could not be built here (no display or data)";
    }
};

TEST_F(GamePlay, ClicksPlayAgainstTheComputerAndEverythingAgrees) {
    ASSERT_FALSE(g_game->menuOpen);
    ASSERT_FALSE(g_game->awaitingOpponent);
    for (int turn = 0; turn < 3; ++turn) {
        std::string when = "move " + std::to_string(turn + 1);
        int from, to;
        ASSERT_TRUE(chooseMove(from, to)) << when;
        PieceRecord* piece = g_game->squares[from].piece;
        PieceRecord* victim = g_game->squares[to].piece;
        const int recorded = g_game->record.moves.count;

        clickSquare(from); // select
        ASSERT_EQ(g_game->selectedPiece, piece) << when;
        clickSquare(to); // choose
        ASSERT_EQ(g_game->chosenTarget, &g_game->squares[to]) << when;
        ASSERT_EQ(g_game->squares[from].piece, piece) << when << ": nothing moved yet";
        KVector start = piece->node->GetWorldMatrix().GetTrans();
        clickSquare(to); // confirm: the glide plays, the turn has passed
        ASSERT_EQ(g_game->record.moves.count, recorded + 1) << when;
        EXPECT_EQ(g_game->sideToMove, 1) << when;
        EXPECT_TRUE(g_game->awaitingOpponent) << when;
        if (victim) {
            EXPECT_EQ(victim->node->parent, g_board->graveyardNode) << when << ": taken at once";
        }

        // The glide ends above the target square at the height it started from.
        ASSERT_TRUE(runUntil([&] { return g_game->pieceInMotion != piece; }, 20, 0.1)) << when;
        KVector end = piece->node->GetWorldMatrix().GetTrans();
        KVector square = g_game->squares[to].node->GetWorldMatrix().GetTrans();
        EXPECT_NEAR(end.x, square.x, 1e-3) << when;
        EXPECT_NEAR(end.z, square.z, 1e-3) << when;
        EXPECT_NEAR(end.y, start.y, 1e-3) << when;
        EXPECT_EQ(piece->node->parent, g_game->squares[to].node) << when;

        // The camera turns to Black, then the computer answers.
        ASSERT_TRUE(runUntil([&] { return g_game->record.moves.count == recorded + 2; }, 100))
            << when << ": " << state();
        EXPECT_EQ(g_anim->view_index, 1) << when;
        EXPECT_EQ(rm_colour(g_game->record.moves[recorded + 1]), 1) << when;
        ASSERT_TRUE(runUntil(settled, 100)) << when << ": " << state();
        EXPECT_EQ(g_anim->view_index, 0) << when << ": the camera is back on White's side";
        EXPECT_FALSE(g_game->awaitingOpponent) << when;
        expectAllAgree(when.c_str());
    }
}

TEST_F(GamePlay, SaveLoadAndTakeBackRebuildTheBoard) {
    for (int turn = 0; turn < 2; ++turn) {
        int from, to;
        ASSERT_TRUE(chooseMove(from, to));
        const int recorded = g_game->record.moves.count;
        clickSquare(from);
        clickSquare(to);
        clickSquare(to);
        ASSERT_EQ(g_game->record.moves.count, recorded + 1) << state();
        ASSERT_TRUE(
            runUntil([&] { return g_game->record.moves.count == recorded + 2 && settled(); }, 200))
            << state();
    }
    std::vector<RecordedMove> played(g_game->record.moves.begin(), g_game->record.moves.end());
    std::vector<PieceId> taken(g_game->record.captured.begin(), g_game->record.captured.end());
    ASSERT_TRUE(g_game->record.SaveGame("./Save/play_test.chs"));

    startNewGame(0);
    max_depth = 2;
    runUntil(settled, 100);
    expectAllAgree("new game");
    ASSERT_TRUE(g_game->record.LoadGame("./Save/play_test.chs"));
    g_game->record.RestoreBoard();
    ASSERT_TRUE(runUntil(settled, 100)) << state();
    EXPECT_EQ(std::vector<RecordedMove>(g_game->record.moves.begin(), g_game->record.moves.end()),
              played);
    EXPECT_EQ(std::vector<PieceId>(g_game->record.captured.begin(), g_game->record.captured.end()),
              taken);
    expectAllAgree("loaded");
    std::remove("./Save/play_test.chs");
    std::remove("./Save/play_test.pgn"); // written beside it by the save

    // Taking back the computer's last move gives the computer the move again: it answers.
    g_game->record.UndoLastMove();
    g_game->record.RestoreBoard();
    ASSERT_TRUE(runUntil(
        [&] { return g_game->record.moves.count == int(played.size()) && settled(); }, 600));
    expectAllAgree("after the take-back and the new answer");
}

TEST_F(GamePlay, ResultTextsReachTheInfoLine) {
    struct Case {
        const char* fen;
        const char* move; // the local player's move
        const char* shown;
    } cases[] = {
        {"r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4", "h5f7",
         "1-0 {White mates}"},
        {"rnbqkbnr/pppp1ppp/8/4p3/6P1/5P2/PPPPP2P/RNBQKBNR b KQkq - 0 2", "d8h4",
         "0-1 {Black mates}"},
        {"k7/8/8/8/8/8/8/KQ6 w - - 0 1", "b1b6", "1/2-1/2 {Stalemate}"},
        {"k7/8/8/8/8/8/8/KQ6 w - - 99 80", "b1c2", "1/2-1/2 {Draw by fifty move rule}"},
        {"k7/8/8/8/8/8/1n6/K7 w - - 0 1", "a1b2", "1/2-1/2 {Insufficient material}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        ASSERT_TRUE(set_position_fen(c.fen));
        search_ply = 0;
        ASSERT_TRUE(generate_moves());
        showInfo(false, false, "");
        runUntil([] { return false; }, 40, 0.1);
        const char* m = c.move;
        ASSERT_TRUE(g_game->record.HumanMove('8' - m[1], m[0] - 'a', '8' - m[3], m[2] - 'a'));
        KTexte* line = g_ui->overlay->infoText;
        EXPECT_STREQ(line->texte, c.shown);
        EXPECT_TRUE(runUntil([&] { return line->visible != 0; }, 20, 0.1)) << "never shown";
    }
}

// The player's mating move played with the mouse: the turn passes to the computer, which has
// no move, and the info line keeps the result instead of the engine's "(No legal moves)".
TEST_F(GamePlay, ThePlayersMateStaysOnTheInfoLine) {
    const std::vector<RecordedMove> game =
        recordedGame({"e2e4", "e7e5", "f1c4", "b8c6", "d1h5", "g8f6"});
    ASSERT_TRUE(write_saved_game("./Save/mate_test.chs", game.data(), int(game.size())));
    ASSERT_TRUE(g_game->record.LoadGame("./Save/mate_test.chs"));
    std::remove("./Save/mate_test.chs");
    g_game->record.RestoreBoard();
    expectSettledGame("loaded");
    forgetPlayerMessage();
    const int h5 = 3 * 8 + 7, f7 = 1 * 8 + 5;
    clickSquare(h5);
    clickSquare(f7);
    clickSquare(f7);
    ASSERT_EQ(g_game->record.moves.count, 7) << state();
    ASSERT_TRUE(runUntil(settled, 200)) << state();
    runUntil([] { return false; }, 20);
    const std::string shown = g_ui->overlay->infoText->texte;
    EXPECT_TRUE(shown == "CHECKMATE - Winner WHITE" || shown == "1-0 {White mates}") << shown;
    EXPECT_EQ(g_game->record.moves.count, 7);
    expectAllAgree("mated");
    EXPECT_TRUE(facesBlack(g_ui->turn)) << "the turn sign shows the mated side";
}

TEST_F(GamePlay, SpecialMovesLoadAndTakeBackInPairsAndColoursSwap) {
    // En passant, a capture that promotes, both castlings; White, the local player, to move.
    const std::vector<RecordedMove> game =
        recordedGame({"e2e4", "d7d5", "e4e5", "f7f5", "e5f6", "g8h6", "f6g7", "c8d7", "g7h8",
                      "b8c6", "g1f3", "e7e6", "f1e2", "d8e7", "e1g1", "e8c8"});
    ASSERT_TRUE(write_saved_game("./Save/special_test.chs", game.data(), int(game.size())));
    ASSERT_TRUE(g_game->record.LoadGame("./Save/special_test.chs"));
    std::remove("./Save/special_test.chs");
    g_game->record.RestoreBoard();
    expectSettledGame("loaded");
    EXPECT_EQ(g_game->record.moves.count, 16);
    EXPECT_EQ(square_piece[7], QUEEN) << "the promoted pawn is a queen on h8";
    EXPECT_TRUE(g_game->squares[7].piece->promoted);
    EXPECT_EQ(g_game->squares[61].piece->kind, KIND_ROOK) << "White's rook on f1";
    EXPECT_EQ(g_game->squares[3].piece->kind, KIND_ROOK) << "Black's rook on d8";
    EXPECT_EQ(g_game->pieceOf(1, KIND_PAWN, 5)->square, nullptr) << "taken en passant";

    // The take-back the player asks for with B, answered yes: on the player's turn the
    // computer's reply goes with the player's move, so the player moves again.
    const int expectedCounts[] = {14, 12, 10, 8, 6, 4};
    for (int expected : expectedCounts) {
        const std::string when = "taken back to " + std::to_string(expected) + " moves";
        onKeyDown('B');
        onKeyUp('B');
        ASSERT_TRUE(g_game->questionShown) << when;
        g_ui->questionButton = 0; // the pointer on "accept"
        ASSERT_TRUE(menuClick(nullptr, 1, 0, 0));
        ASSERT_EQ(g_game->record.moves.count, expected) << when;
        EXPECT_EQ(
            std::vector<RecordedMove>(g_game->record.moves.begin(), g_game->record.moves.end()),
            std::vector<RecordedMove>(game.begin(), game.begin() + expected))
            << when;
        expectSettledGame(when);
        EXPECT_EQ(g_game->sideToMove, 0) << when;
        EXPECT_EQ(g_game->record.moves.count, expected) << when << ": the computer played again";
    }
    EXPECT_FALSE(g_game->pieceOf(0, KIND_PAWN, 4)->promoted);
    EXPECT_EQ(square_piece[29], PAWN) << "the pawn taken en passant is back";

    // Colours swapped: the computer now plays White and moves at once.
    g_game->swapColours();
    EXPECT_EQ(g_game->humanColour, 1);
    ASSERT_TRUE(runUntil([] { return g_game->record.moves.count == 5 && settled(); }, 200))
        << state();
    expectSettledGame("after the swap");
    EXPECT_EQ(g_game->sideToMove, 1);

    // Before the computer has replied only the player's own move goes.
    int from, to;
    ASSERT_TRUE(chooseMove(from, to));
    ASSERT_TRUE(g_game->tryMove(g_game->squares[from].piece, &g_game->squares[to], true));
    g_game->endTurn();
    ASSERT_EQ(g_game->record.moves.count, 6) << state();
    ASSERT_EQ(g_game->record.TakeBack(), 1);
    expectSettledGame("the player's move taken back");
    EXPECT_EQ(g_game->record.moves.count, 5);
    EXPECT_EQ(g_game->sideToMove, 1);
}

TEST_F(GamePlay, ANetworkTakeBackIsOneHalfMoveOnBothSides) {
    // A network game (a host with its port not open): both boards take back the same single
    // half-move, even on the local player's turn.
    netSession().server = new KServer();
    startNewGame(0);
    ASSERT_TRUE(runUntil(settled, 100));
    for (const char* m : {"e2e4", "e7e5"}) {
        const int from = (m[0] - 'a') + ('8' - m[1]) * 8, to = (m[2] - 'a') + ('8' - m[3]) * 8;
        ASSERT_TRUE(g_game->tryMove(g_game->squares[from].piece, &g_game->squares[to], true)) << m;
        g_game->endTurn();
        ASSERT_TRUE(runUntil(settled, 100)) << m;
    }
    ASSERT_EQ(g_game->sideToMove, g_game->humanColour);
    EXPECT_EQ(g_game->record.TakeBack(), 1);
    EXPECT_EQ(g_game->record.moves.count, 1);
    EXPECT_EQ(g_game->sideToMove, 1);
    delete netSession().server;
    netSession().server = nullptr;
}

} // namespace

// A game ends and stays ended until a take-back or a new game: loaded after the mate, drawn by
// the player's move (the computer to move then), resigned, and resigned then saved and loaded;
// banner, turn sign, info line and PGN agree.
TEST_F(GamePlay, AnEndedGameStopsUntilATakeBackOrANewGame) {
    auto pgnHas = [](const char* result, const char* comment) {
        EXPECT_TRUE(g_game->record.SaveGame("./Save/end_test.chs"));
        std::stringstream pgn;
        pgn << std::ifstream("./Save/end_test.pgn").rdbuf();
        for (const char* file : {"./Save/end_test.chs", "./Save/end_test.pgn"})
            std::remove(file);
        return pgn.str().find(result) != std::string::npos &&
               pgn.str().find(comment) != std::string::npos;
    };
    // The banner follows at the next frame; the "TO MOVE" sign shows exactly while no banner does.
    auto banner = [] {
        runUntil([] { return false; }, 2, 0.1);
        const std::string shown = gameEndBannerShown() ? gameEndBannerShown() : "";
        EXPECT_EQ(!g_ui->turn->hidden && !g_ui->cadreTurn->hidden, shown.empty()) << shown;
        return shown;
    };
    auto load = [](const std::vector<RecordedMove>& game) {
        ASSERT_TRUE(write_saved_game("./Save/end_test.chs", game.data(), int(game.size())));
        ASSERT_TRUE(g_game->record.LoadGame("./Save/end_test.chs"));
        g_game->record.RestoreBoard();
        expectSettledGame("loaded");
    };
    load(recordedGame({"e2e4", "e7e5", "f1c4", "b8c6", "d1h5", "g8f6", "h5f7"}));
    EXPECT_EQ(banner(), "White wins : checkmate");
    // The position after 1.e4 comes back the third time with the player's Ng1.
    load(recordedGame({"e2e4", "g8f6", "g1f3", "f6g8", "f3g1", "g8f6", "g1f3", "f6g8", "f3g1",
                       "g8f6", "g1f3", "f6g8"}));
    for (int s : {45, 62, 62}) // f3, g1, g1
        clickSquare(s);
    EXPECT_STREQ(lastPlayerMessage(), "1/2-1/2 {Draw by repetition}");
    runUntil([] { return false; }, 40); // ten seconds in which the computer would have moved
    EXPECT_EQ(g_game->record.moves.count, 13) << state();
    EXPECT_EQ(banner(), "Draw : repetition");
    clickSquare(8); // a7
    EXPECT_STREQ(lastPlayerMessage(), "Game over : R for a new game");
    EXPECT_TRUE(pgnHas("[Result \"1/2-1/2\"]", "repetition}"));
    EXPECT_EQ(g_game->record.TakeBack(), 1);
    expectSettledGame("taken back");
    EXPECT_EQ(banner(), "");
    onKeyDown('G');
    answerQuestion(true);
    EXPECT_STREQ(lastPlayerMessage(), "0-1 {White resigns}");
    EXPECT_EQ(banner(), "Black wins : White resigns");
    EXPECT_TRUE(pgnHas("[Result \"0-1\"]", "resigns}"));
    // Saved and loaded again it stays resigned, as its PGN copy tells; the ".chs" alone (as
    // older versions left it) loads a game that goes on.
    ASSERT_TRUE(g_game->record.SaveGame("./Save/end_test.chs"));
    for (const char* copy : {"kept", "removed"}) {
        ASSERT_TRUE(g_game->record.LoadGame("./Save/end_test.chs"));
        g_game->record.RestoreBoard();
        expectSettledGame(copy);
        EXPECT_EQ(banner(), copy[0] == 'k' ? "Black wins : White resigns" : "") << copy;
        std::remove("./Save/end_test.pgn");
    }
    std::remove("./Save/end_test.chs");
    startNewGame(0);
    EXPECT_EQ(banner(), "");
}
