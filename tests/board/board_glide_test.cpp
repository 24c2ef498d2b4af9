// SPDX-License-Identifier: GPL-3.0-or-later
// Glides on a scene without models: plain group nodes stand in for squares, pieces and markers,
// and the animation manager plays the glides with the engine's test clock.

#include "anim/anim_manager.h"
#include "app/app_state.h"
#include "board/board_presets.h"
#include "board/camera_views.h"
#include "board/square_picking.h"
#include "chess/search.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "tests/board/board_test_support.h"

using namespace board_test;

namespace {

constexpr float PIECE_HEIGHT = 0.25f; // the models' own height above their square

KVector worldPos(KNodeGraph* n) {
    return n->GetWorldMatrix().GetTrans();
}

class BoardGlide : public BoardFixture {
protected:
    void SetUp() override {
        BoardFixture::SetUp();
        KSetTestClock(true);
        g_scene = CreateScene();
        g_root = new KShell(g_scene);
        g_root->InsertAsChildOf(g_scene->root);
        BoardScene* b = g_board;
        b->camera = new KCamera(g_scene);
        b->camera->InsertAsChildOf(g_root);
        b->camera->prs.SetPosition(3.5f, 5.0f, 9.5f);
        b->boardPivot = new KShell(g_scene);
        b->boardPivot->InsertAsChildOf(g_root);
        b->boardGroup = new KShell(g_scene);
        b->boardGroup->InsertAsChildOf(b->boardPivot);
        for (SquareRecord& s : g_game->squares) {
            s.node = new KShell(g_scene);
            s.node->tag = SQUARE_TAG;
            s.node->InsertAsChildOf(b->boardGroup);
            s.node->prs.SetPosition(s.x, s.y, s.z);
        }
        KNodeGraph** markers[4] = {&b->selectMarkerWhite, &b->selectMarkerBlack,
                                   &b->targetMarkerWhite, &b->targetMarkerBlack};
        for (KNodeGraph** m : markers) {
            *m = new KShell(g_scene);
            (*m)->InsertAsChildOf(b->camera);
        }
        b->graveyardNode = new KShell(g_scene);
        b->graveyardNode->InsertAsChildOf(b->camera);
        b->graveyardNode->prs.SetPosition(2.0f, 0.0f, 50.0f);
        for (PieceRecord* p : g_game->pieces) {
            p->node = new KShell(g_scene);
            p->node->tag = p->kind;
            p->node->InsertAsChildOf(p->square->node);
            p->node->prs.SetPosition(0, PIECE_HEIGHT, 0);
            p->graveyard = b->graveyardNode;
        }
        g_anim = new AnimManager();
        SetupCameraViews();
        SetupPieceAnims();
    }
    void TearDown() override {
        delete g_anim;
        g_anim = nullptr;
        delete g_scene;
        g_scene = nullptr;
        g_root = nullptr;
        KSetTestClock(false);
        BoardFixture::TearDown();
    }

    // Starts a move as the side to move (engine, record and board), without waiting.
    void start(const char* move) {
        g_game->humanColour = g_game->sideToMove;
        ASSERT_TRUE(g_game->tryMove(at(move), square(move + 2), true)) << move;
        g_game->endTurn();
    }
    void frame(double seconds) {
        KAdvanceTestClock(seconds);
        UpdateAnimations();
    }
    // Lets every glide (a castling has two) run to its end.
    void finishGlides() {
        for (int i = 0; i < 10 && g_game->pieceInMotion; ++i)
            frame(0.6);
        ASSERT_EQ(g_game->pieceInMotion, nullptr);
    }
    void playWhole(const char* move) {
        start(move);
        finishGlides();
    }
    static void expectNear(KVector a, KVector b, const char* what) {
        EXPECT_NEAR(a.x, b.x, 1e-3) << what;
        EXPECT_NEAR(a.y, b.y, 1e-3) << what;
        EXPECT_NEAR(a.z, b.z, 1e-3) << what;
    }
};

TEST_F(BoardGlide, GlideStartsAboveTheOriginAndEndsAboveTheTarget) {
    PieceRecord* pawn = at("e2");
    start("e2e4");
    EXPECT_EQ(g_game->pieceInMotion, pawn);
    EXPECT_EQ(at("e4"), pawn) << "the records move at once";
    EXPECT_EQ(pawn->node->parent, square("e2")->node) << "the node glides under its origin";
    frame(0.01); // the glide takes the node's pose as its first key
    expectNear(worldPos(pawn->node), {4, PIECE_HEIGHT, 6}, "start");
    frame(0.5);
    expectNear(worldPos(pawn->node), {4, PIECE_HEIGHT, 5}, "halfway");
    frame(0.49);
    EXPECT_EQ(g_game->pieceInMotion, pawn) << "a glide lasts one second";
    frame(0.05);
    EXPECT_EQ(g_game->pieceInMotion, nullptr);
    EXPECT_EQ(pawn->node->parent, square("e4")->node);
    expectNear(pawn->node->prs.pos, {0, PIECE_HEIGHT, 0}, "laid on the square");
    expectNear(worldPos(pawn->node), {4, PIECE_HEIGHT, 4}, "end");
}

TEST_F(BoardGlide, ACaptureParksTheTakenPieceBeforeTheGlide) {
    playWhole("e2e4");
    playWhole("d7d5");
    PieceRecord* taken = at("d5");
    start("e4d5");
    EXPECT_EQ(taken->node->parent, g_board->graveyardNode);
    EXPECT_EQ(taken->square, nullptr);
    EXPECT_EQ(taken->row, -1);
    EXPECT_EQ(taken->column, -1);
    finishGlides();
    expectNear(worldPos(at("d5")->node), {3, PIECE_HEIGHT, 3}, "the taker on d5");
}

TEST_F(BoardGlide, CastlingGlidesTheKingThenTheRook) {
    for (const char* m : {"e2e4", "e7e5", "g1f3", "b8c6", "f1c4", "g8f6"})
        playWhole(m);
    PieceRecord* king = at("e1");
    PieceRecord* rook = at("h1");
    start("e1g1");
    EXPECT_EQ(g_game->pieceInMotion, king);
    EXPECT_EQ(at("f1"), rook) << "the castled position is what the turn's end looks at";
    EXPECT_EQ(rook->node->parent, square("h1")->node);
    frame(0.01);
    frame(1.05);
    EXPECT_EQ(king->node->parent, square("g1")->node);
    EXPECT_EQ(g_game->pieceInMotion, rook);
    EXPECT_EQ(rook->node->parent, square("h1")->node) << "the rook glides from its corner";
    // The rook's glide was started in the update that ended the king's, from the moment the
    // king arrived (a glide's keys run to 101 at 100 a second): 0.04 s of it had passed by the
    // end of that update.
    frame(0.46);
    expectNear(worldPos(rook->node), {6, PIECE_HEIGHT, 7}, "rook halfway");
    frame(0.55);
    EXPECT_EQ(g_game->pieceInMotion, nullptr);
    EXPECT_EQ(rook->node->parent, square("f1")->node);
    expectNear(worldPos(rook->node), {5, PIECE_HEIGHT, 7}, "rook on f1");
    expectNear(worldPos(king->node), {6, PIECE_HEIGHT, 7}, "king on g1");
    EXPECT_EQ(g_game->record.moves.count, 7) << "only the king's move is recorded";
}

TEST_F(BoardGlide, EnPassantParksThePawnBesideTheTarget) {
    for (const char* m : {"e2e4", "a7a6", "e4e5", "d7d5"})
        playWhole(m);
    PieceRecord* victim = at("d5");
    start("e5d6");
    EXPECT_EQ(victim->node->parent, g_board->graveyardNode);
    EXPECT_EQ(at("d5"), nullptr);
    finishGlides();
    expectNear(worldPos(at("d6")->node), {3, PIECE_HEIGHT, 2}, "the taker on d6");
}

TEST_F(BoardGlide, ATakeBackDuringAGlideLeavesNoPieceAdrift) {
    PieceRecord* pawn = at("e2");
    start("e2e4");
    frame(0.01);
    frame(0.5);
    g_game->record.UndoLastMove();
    g_game->record.RestoreBoard();
    EXPECT_EQ(g_game->pieceInMotion, nullptr);
    for (int i = 0; i < 5; ++i)
        frame(0.5);
    EXPECT_EQ(pawn->node->parent, square("e2")->node);
    expectNear(worldPos(pawn->node), {4, PIECE_HEIGHT, 6}, "back on e2");
    EXPECT_EQ(g_game->sideToMove, 0);
}

// The three-click selection through onBoardClick, with the markers it shows, and the computer's
// answer once the camera has turned.
class BoardClicks : public BoardGlide {
protected:
    void SetUp() override {
        BoardGlide::SetUp();
        static AppState* app = new AppState(800, 600); // one window for the whole run
        g_game->gameStarted = 1;
        g_app = app;
        g_board->reset(0);
    }
    void TearDown() override {
        g_app = nullptr;
        BoardGlide::TearDown();
    }
    static void click(const char* name) { onBoardClick(square(name)->node); }
    static void clickPiece(const char* name) { onBoardClick(at(name)->node); }
    static KNodeGraph* selectMarkerAt() { return g_board->selectMarkerWhite->parent; }
    static KNodeGraph* targetMarkerAt() { return g_board->targetMarkerWhite->parent; }
};

TEST_F(BoardClicks, SelectChooseAndConfirm) {
    PieceRecord* pawn = at("e2");
    clickPiece("e2");
    EXPECT_EQ(g_game->selectedPiece, pawn);
    EXPECT_EQ(selectMarkerAt(), square("e2")->node);
    EXPECT_EQ(targetMarkerAt(), g_board->camera) << "the target marker is parked";

    click("e4"); // a legal target: only marked
    EXPECT_EQ(g_game->chosenTarget, square("e4"));
    EXPECT_EQ(targetMarkerAt(), square("e4")->node);
    EXPECT_EQ(at("e2"), pawn);
    EXPECT_EQ(g_game->record.moves.count, 0);

    click("e3"); // another legal target moves the marker
    EXPECT_EQ(g_game->chosenTarget, square("e3"));
    EXPECT_EQ(targetMarkerAt(), square("e3")->node);

    clickPiece("e2"); // the selected piece again: re-selected, no target
    EXPECT_EQ(g_game->chosenTarget, nullptr);
    EXPECT_EQ(targetMarkerAt(), g_board->camera);
    EXPECT_EQ(selectMarkerAt(), square("e2")->node);

    clickPiece("d7"); // an opponent's piece it cannot take: everything cleared
    EXPECT_EQ(g_game->selectedPiece, nullptr);
    EXPECT_EQ(selectMarkerAt(), g_board->camera);

    click("e5"); // an empty square with nothing selected: nothing
    EXPECT_EQ(g_game->selectedPiece, nullptr);

    clickPiece("g1"); // a knight, then its target, then the same target again
    click("f3");
    click("f3");
    EXPECT_EQ(g_game->pieceInMotion, at("f3"));
    EXPECT_EQ(g_game->record.moves.count, 1);
    EXPECT_EQ(g_game->sideToMove, 1);
    EXPECT_TRUE(g_game->awaitingOpponent);
    EXPECT_EQ(g_game->selectedPiece, nullptr);
    EXPECT_EQ(g_game->chosenTarget, nullptr);
    EXPECT_EQ(selectMarkerAt(), g_board->camera);
    EXPECT_EQ(targetMarkerAt(), g_board->camera);
}

TEST_F(BoardClicks, ClicksWaitForTheGlideTheMenuAndTheOpponent) {
    clickPiece("e2");
    click("e4");
    click("e4");
    ASSERT_NE(g_game->pieceInMotion, nullptr);
    g_game->awaitingOpponent = 0; // even on one's own turn, a glide blocks clicks
    g_game->humanColour = 1;
    clickPiece("e7");
    EXPECT_EQ(g_game->selectedPiece, nullptr);
    g_game->pieceInMotion = nullptr;
    g_game->boardLocked = 1;
    clickPiece("e7");
    EXPECT_EQ(g_game->selectedPiece, nullptr);
    g_game->boardLocked = 0;
    g_game->awaitingOpponent = 1;
    clickPiece("e7");
    EXPECT_EQ(g_game->selectedPiece, nullptr);
    g_game->awaitingOpponent = 0;
    clickPiece("e7");
    EXPECT_EQ(g_game->selectedPiece, at("e7"));
}

TEST_F(BoardClicks, ATakeableEnemyIsATargetByPieceOrSquare) {
    // Both sides played by hand: the mover stays the local player while its glide ends, so the
    // computer does not step in.
    for (const char* m : {"e2e4", "d7d5"}) {
        start(m);
        g_game->humanColour = g_game->sideToMove;
        finishGlides();
    }
    g_game->humanColour = 0;
    g_game->awaitingOpponent = 0;
    PieceRecord* taken = at("d5");
    clickPiece("e4");
    clickPiece("d5");
    EXPECT_EQ(g_game->chosenTarget, square("d5"));
    click("d5");
    EXPECT_EQ(taken->square, nullptr);
    EXPECT_EQ(taken->node->parent, g_board->graveyardNode);
    EXPECT_EQ(g_game->record.captured.count, 1);
}

TEST_F(BoardClicks, TheComputerAnswersWhenTheCameraHasTurned) {
    max_depth = 2;
    clickPiece("e2");
    click("e4");
    click("e4");
    for (int i = 0; i < 100 && g_game->record.moves.count < 2; ++i)
        frame(0.1);
    ASSERT_EQ(g_game->record.moves.count, 2) << "the computer has answered";
    EXPECT_EQ(g_anim->view_index, 1) << "the camera turned to Black before the answer";
    finishGlides();
    for (int i = 0; i < 100 && IsCameraMoving(); ++i)
        frame(0.1);
    EXPECT_EQ(g_anim->view_index, 0) << "and back to White after it";
    EXPECT_EQ(g_game->sideToMove, 0);
    EXPECT_FALSE(g_game->awaitingOpponent);
    EXPECT_EQ(side_to_move, 0);
    for (int s = 0; s < 64; ++s)
        EXPECT_EQ(g_game->squares[s].piece == nullptr, square_color[s] == EMPTY) << s;
}

// The game keeps to the clock: a move's glide, the camera's turn towards the computer and the
// computer's own glide take the same time whether frames come 5 or 200 times a second.
TEST_F(BoardClicks, TheAnswerLandsAtTheSameMomentAtFiveAndTwoHundredFramesASecond) {
    max_depth = 2;
    struct Timing {
        double landed = -1, settled = -1; // seconds from the confirming click
    };
    auto play = [this](double step) {
        g_game->record.NewGame(true);
        g_board->reset(0);
        g_anim->view_index = 0;
        KNodeGraph* cam = g_board->camera;
        cam->prs.SetPosition(3.5f, 5.0f, 9.5f);
        cam->prs.SetAngles(-45, 0, 0);
        // As in the game's loop: the clicks are handled at the start of a frame, before the
        // animations of that frame.
        KAdvanceTestClock(step);
        clickPiece("e2");
        click("e4");
        click("e4");
        UpdateAnimations();
        Timing t;
        for (double now = 0; now < 20 && t.settled < 0; now += step) {
            frame(step);
            if (t.landed < 0 && g_game->record.moves.count == 2 && !g_game->pieceInMotion)
                t.landed = now + step;
            if (t.landed >= 0 && !IsCameraMoving()) t.settled = now + step;
        }
        return t;
    };
    const Timing slow = play(0.2), fast = play(0.005);
    ASSERT_GT(fast.landed, 0) << "the computer answered";
    ASSERT_GT(slow.landed, 0);
    // A glide (1.01 s), the eased turn to Black (about 2.96 s), the answer's glide (1.01 s).
    EXPECT_NEAR(fast.landed, 4.98, 0.05);
    // Events are seen at the first frame after them: a frame of 0.2 s may see them that late.
    EXPECT_NEAR(slow.landed, fast.landed, 0.2);
    EXPECT_NEAR(slow.settled, fast.settled, 0.2);
    EXPECT_NEAR(fast.settled, fast.landed + 2.96, 0.05) << "the turn back to White";
}

} // namespace
