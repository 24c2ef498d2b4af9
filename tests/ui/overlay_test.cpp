// SPDX-License-Identifier: GPL-3.0-or-later
// The text overlay: the info message's fades and hold, the request window and its answers, the
// statistics strings and the fonts and positions after a window size change.
#include <cmath>
#include <cstring>
#include <string>

#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "tests/ui/ui_world.h"
#include "ui/interface.h"

namespace {

class Overlay : public UiWorld {
protected:
    static TextOverlay& o() { return *g_ui->overlay; }
    static KMaterial* mat(const char* name) { return GetMatByName(g_scene, name); }
};

TEST_F(Overlay, ATimedMessageFadesInHoldsAndFadesOutByItself) {
    showInfo(true, true, "Illegal move");
    EXPECT_STREQ(o().infoText->texte, "Illegal move");
    EXPECT_FALSE(g_ui->info->hidden);
    EXPECT_FALSE(o().infoText->visible) << "the text waits for the panel";
    EXPECT_TRUE(mat("info")->blend);

    run(0.15);
    EXPECT_GT(mat("info")->opacity, 0.2f);
    EXPECT_LT(mat("info")->opacity, 0.7f);
    EXPECT_FALSE(o().infoText->visible);
    run(0.15); // 0.30 s: faded in (0.25 s), holding
    EXPECT_TRUE(o().infoText->visible);
    EXPECT_NEAR(mat("info")->opacity, 0.8f, 1e-4);
    run(1.8); // 2.10 s: still held
    EXPECT_TRUE(o().infoText->visible);
    EXPECT_NEAR(mat("info")->opacity, 0.8f, 1e-4);
    run(0.3); // 2.40 s: hold over (0.25 + 2.0 s and a frame to start each), fading out
    EXPECT_FALSE(o().infoText->visible);
    EXPECT_LT(mat("info")->opacity, 0.8f);
    run(0.3); // 2.70 s: faded out
    EXPECT_NEAR(mat("info")->opacity, 0.0f, 1e-4);
    EXPECT_TRUE(g_ui->info->hidden) << "unseen, the panel would take the clicks under it";

    // A message shown while the last one fades out keeps its panel.
    showInfo(true, true, "Check");
    run(2.4);
    ASSERT_LT(mat("info")->opacity, 0.8f);
    showInfo(true, true, "Mate");
    run(0.6);
    EXPECT_FALSE(g_ui->info->hidden);
    EXPECT_TRUE(o().infoText->visible);
}

TEST_F(Overlay, AnUntimedMessageReplacesATimedOneAndStays) {
    showInfo(true, true, "New client");
    run(1.0);
    showInfo(true, false, "Waiting for client..");
    EXPECT_STREQ(o().infoText->texte, "Waiting for client..");
    EXPECT_FALSE(o().infoText->visible);
    run(5.0);
    EXPECT_TRUE(o().infoText->visible) << "the timed message's hold must not hide the new one";
    EXPECT_NEAR(mat("info")->opacity, 0.8f, 1e-4);

    showInfo(false, false, nullptr);
    EXPECT_FALSE(o().infoText->visible);
    EXPECT_TRUE(g_ui->info->hidden);
    // A null text shows the previous one again.
    showInfo(true, false, nullptr);
    run(0.5);
    EXPECT_STREQ(o().infoText->texte, "Waiting for client..");
    EXPECT_TRUE(o().infoText->visible);
}

TEST_F(Overlay, TheRequestWindowShowsItsLinesOnceThePanelHasFadedIn) {
    showRequest(true, "Asking a new game", "are you sure ?");
    EXPECT_TRUE(g_game->questionShown);
    EXPECT_FALSE(g_ui->request->hidden);
    EXPECT_FALSE(o().requestLine1->visible);
    run(0.3);
    EXPECT_TRUE(o().requestLine1->visible);
    EXPECT_TRUE(o().requestLine2->visible);
    EXPECT_STREQ(o().requestLine2->texte, "are you sure ?");
    showRequest(false, nullptr, nullptr);
    EXPECT_FALSE(g_game->questionShown);
    EXPECT_TRUE(g_ui->request->hidden);
    EXPECT_FALSE(o().requestLine1->visible);
    EXPECT_STREQ(o().requestLine1->texte, "Asking a new game");
}

TEST_F(Overlay, ButtonHoverFollowsTheButtonsAtEveryWindowSize) {
    struct Case {
        int w, h, x, y, button;
    } cases[] = {
        {800, 600, 320, 362, 0},  {800, 600, 281, 351, 0},  {800, 600, 280, 362, -1},
        {800, 600, 360, 362, -1}, {800, 600, 475, 362, 1},  {800, 600, 509, 374, 1},
        {800, 600, 475, 350, -1}, {800, 600, 475, 375, -1}, {800, 600, 400, 362, -1},
        {1024, 768, 400, 460, 0}, {1024, 768, 600, 460, 1}, {1024, 768, 320, 362, -1},
        {320, 240, 128, 145, 0},  {320, 240, 190, 145, 1},
    };
    showRequest(true, "a", "b");
    for (const Case& c : cases) {
        o().screenWidth = c.w;
        o().screenHeight = c.h;
        moveCursor(c.x, c.y);
        requestHover();
        EXPECT_EQ(g_ui->questionButton, c.button)
            << c.w << "x" << c.h << " at " << c.x << "," << c.y;
    }
}

TEST_F(Overlay, HoveringAButtonHighlightsItAndLeavingRestoresIt) {
    KTexture* pic = g_ui->requestPicture.picture;
    showRequest(true, "a", "b");
    moveCursor(320, 362);
    requestHover();
    EXPECT_EQ(pixel(pic, 30, 1), 200);
    EXPECT_EQ(pixel(pic, 99, 25), 200);
    EXPECT_EQ(pixel(pic, 100, 1), 10) << "right of the accept button";
    EXPECT_EQ(pixel(pic, 30, 26), 10) << "above the accept button";
    EXPECT_EQ(pixel(pic, 150, 1), 10);
    moveCursor(475, 362);
    requestHover();
    EXPECT_EQ(pixel(pic, 30, 1), 10);
    EXPECT_EQ(pixel(pic, 229, 25), 200);
    moveCursor(10, 10);
    requestHover();
    EXPECT_EQ(pixel(pic, 229, 25), 10);
}

TEST_F(Overlay, OnlyAClickWithAButtonUnderThePointerAnswers) {
    g_game->questionCode = 'R';
    showRequest(true, "Asking a new game", "are you sure ?");
    moveCursor(400, 362); // between the buttons
    requestHover();
    EXPECT_TRUE(menuClick(nullptr, 1, 400, 362)) << "the click is consumed";
    EXPECT_TRUE(answers.empty());
    EXPECT_TRUE(g_game->questionShown);

    moveCursor(475, 362);
    requestHover();
    EXPECT_TRUE(menuClick(nullptr, 1, 475, 362));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0], 0) << "refused";
    EXPECT_FALSE(g_game->questionShown);

    showRequest(true, "Asking swap colors", "are you sure ?");
    moveCursor(320, 362);
    requestHover();
    EXPECT_TRUE(menuClick(nullptr, 1, 320, 362));
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[1], 1) << "accepted";
    EXPECT_FALSE(menuClick(nullptr, 1, 320, 362)) << "no window, no wall: the board's click";
}

TEST_F(Overlay, ANewQuestionIsNotAnsweredByTheButtonOfTheLastOne) {
    showRequest(true, "Asking a new game", "are you sure ?");
    moveCursor(320, 362);
    requestHover();
    menuClick(nullptr, 1, 320, 362);
    ASSERT_EQ(answers.size(), 1u);
    // The pointer leaves while no question is up (nothing tracks it then); a new question comes.
    moveCursor(100, 500);
    showRequest(true, "Server propose", "a new game");
    EXPECT_EQ(g_ui->questionButton, -1);
    EXPECT_EQ(pixel(g_ui->requestPicture.picture, 30, 1), 10) << "no stale highlight";
    menuClick(nullptr, 1, 100, 500);
    EXPECT_EQ(answers.size(), 1u) << "a click beside the buttons must not accept";
    EXPECT_TRUE(g_game->questionShown);
}

TEST_F(Overlay, StatisticsStringsTruncateTheTenth) {
    char s[64];
    struct {
        float fps;
        const char* text;
    } fps[] = {{59.96f, "FPS 59.9"},
               {60.0f, "FPS 60.0"},
               {0.05f, "FPS 0.0"},
               {412.38f, "FPS 412.3"},
               {INFINITY, "FPS 2000000000.0"},
               {NAN, "FPS 0.0"}};
    for (auto& c : fps) {
        formatFps(s, sizeof s, c.fps);
        EXPECT_STREQ(s, c.text) << c.fps;
    }
    struct {
        double bytes;
        const char* text;
    } mem[] = {{12345678, "Texture memory  : 12.3 Mo"},
               {999999, "Texture memory  : 0.9 Mo"},
               {524288, "Texture memory  : 0.5 Mo"},
               {0, "Texture memory  : 0.0 Mo"}};
    for (auto& c : mem) {
        formatTextureMemory(s, sizeof s, c.bytes);
        EXPECT_STREQ(s, c.text) << c.bytes;
    }
}

TEST_F(Overlay, StatisticsShowTheSceneCountersOnlyWhileToggledOn) {
    g_scene->stats.fps = 59.96f;
    g_scene->stats.nbObjects = 120;
    g_scene->stats.nbMeshes = 3;
    g_scene->stats.nbNodes = 7;
    g_scene->stats.nbVisPolygons = 4321;
    g_scene->stats.textureMemory = 12345678;
    statisticsStep();
    EXPECT_STREQ(o().fpsText->texte, "FPS %d") << "hidden statistics are not rebuilt";

    toggleStatistics();
    EXPECT_TRUE(o().fpsText->visible);
    EXPECT_TRUE(g_scene->statistics);
    for (KTexte* t : o().statLines)
        EXPECT_TRUE(t->visible);
    statisticsStep();
    EXPECT_STREQ(o().fpsText->texte, "FPS 59.9");
    EXPECT_STREQ(o().statLines[0]->texte, "NB Objects      : 120 (3,7)");
    EXPECT_STREQ(o().statLines[3]->texte, "NB Vis Polygons : 4321");
    EXPECT_STREQ(o().statLines[8]->texte, "Texture memory  : 12.3 Mo");

    toggleStatistics();
    EXPECT_FALSE(o().fpsText->visible);
    EXPECT_FALSE(o().statLines[8]->visible);
    EXPECT_FALSE(g_scene->statistics);
}

TEST_F(Overlay, RelayoutScalesFontsAndPositionsWithTheWindow) {
    relayout(1024, 768);
    EXPECT_FLOAT_EQ(o().classicFont->size, 20);
    EXPECT_NEAR(o().classicFont->spacing, -5.76f, 1e-4);
    EXPECT_FLOAT_EQ(o().chatFont->size, 15);
    EXPECT_EQ(o().infoText->x, 348);
    EXPECT_EQ(o().infoText->y, 140);
    EXPECT_EQ(o().requestLine2->y, 390);
    EXPECT_EQ(o().chatLines[0]->x, 32);
    EXPECT_EQ(o().chatLines[0]->y, 768 - 32);
    EXPECT_EQ(o().nameLine->y, 558);
    EXPECT_EQ(o().statLines[8]->y, 768 - 40) << "statistics keep to the bottom edge";

    relayout(320, 240);
    EXPECT_FLOAT_EQ(o().classicFont->size, 6);
    EXPECT_FLOAT_EQ(o().chatFont->size, 5);
    EXPECT_EQ(o().fpsText->x, 320 - 60);
    EXPECT_EQ(o().statLines[0]->y, 240 - 210);

    relayout(800, 600);
    EXPECT_FLOAT_EQ(o().classicFont->size, 16);
    EXPECT_FLOAT_EQ(o().classicFont->spacing, -4.5f);
    EXPECT_FLOAT_EQ(o().chatFont->size, 12);
    EXPECT_EQ(o().statLines[0]->y, 390);
}

} // namespace
