// SPDX-License-Identifier: GPL-3.0-or-later
// The camera's preset views, the view keys and the turn towards a picked point, measured by
// where the camera ends up and what it looks at.

#include <cmath>

#include "anim_world.h"
#include "board/camera_views.h"
#include "game/game_model.h"

namespace {

const KVector BOARD_CENTRE(3.5f, 0, 3.5f);

int g_arrivals = 0;
void arrived() {
    ++g_arrivals;
}

class CameraViews : public AnimWorld {
protected:
    void SetUp() override {
        AnimWorld::SetUp();
        SetupCameraViews();
        // Somewhere off the board, looking nowhere in particular.
        cam->prs.SetPosition(-7, 12, 20);
        cam->prs.SetAngles(10, 30, 0);
    }

    // Puts the camera at a pose at once.
    void place(float x, float y, float z, float ax, float ay, float az) {
        cam->prs.SetPosition(x, y, z);
        cam->prs.SetAngles(ax, ay, az);
    }

    void flyTo(int view) {
        SetNodeAnim(cam, view);
        StartNodeAnim(cam, view < 5 ? ANIM_EASE_OUT : ANIM_ONCE, KANIM_POS | KANIM_ROT, nullptr);
        startFrame();
        ASSERT_GE(runUntilStopped(cam), 0);
    }
};

// Horizontal direction of a vector, for "from which side" checks.
KVector flat(const KVector& v) {
    return KVector(v.x, 0, v.z).Normalized();
}

} // namespace

TEST_F(CameraViews, GameViewsEndAtTheirPoseAndLookAtTheBoardCentreFromTheirSide) {
    struct View {
        int preset;
        KVector pos;
        KVector side; // where the camera stands, seen from the board centre
    };
    const View views[] = {
        {ANIM_VIEW_WHITE, KVector(3.5f, 5, 9.5f), KVector(0, 0, 1)},
        {ANIM_VIEW_BLACK, KVector(3.5f, 5, -2.5f), KVector(0, 0, -1)},
        {ANIM_VIEW_HFILE, KVector(9.5f, 5, 3.5f), KVector(1, 0, 0)},
        {ANIM_VIEW_AFILE, KVector(-2.5f, 5, 3.5f), KVector(-1, 0, 0)},
    };
    for (const View& v : views) {
        SCOPED_TRACE(v.preset);
        flyTo(v.preset);
        EXPECT_VEC_NEAR(position(cam), v.pos.x, v.pos.y, v.pos.z, 1e-4);
        const KVector f = forward(cam);
        // Pitched 45 degrees down, towards the centre, which lies within 6 degrees of the line
        // of sight (the board fills the middle of the picture).
        EXPECT_NEAR(f.y, -0.7071f, 1e-3);
        EXPECT_LT(angleBetween(flat(f), v.side * -1), 0.2f);
        EXPECT_LT(angleBetween(f, BOARD_CENTRE - position(cam)), 6);
    }
}

TEST_F(CameraViews, MenuViewLooksUpTowardsTheWall) {
    flyTo(ANIM_VIEW_MENU);
    EXPECT_VEC_NEAR(position(cam), 3.5f, 6, -4, 1e-4);
    const KVector f = forward(cam);
    EXPECT_NEAR(f.y, std::sin(60 * 0.017453292f), 1e-3); // 60 degrees above the horizon
    EXPECT_NEAR(f.z, 0.5f, 1e-3);                        // over the board, not away from it
    EXPECT_NEAR(f.x, 0, 1e-3);
}

TEST_F(CameraViews, ViewKeysStepRoundTheFourGameViews) {
    const struct {
        void (*key)();
        int view;
        float x, z;
    } steps[] = {
        {NextView, 1, 3.5f, -2.5f}, {NextView, 2, 9.5f, 3.5f},      {NextView, 3, -2.5f, 3.5f},
        {NextView, 0, 3.5f, 9.5f},  {PreviousView, 3, -2.5f, 3.5f}, {PreviousView, 2, 9.5f, 3.5f},
    };
    for (const auto& s : steps) {
        s.key();
        EXPECT_EQ(g_anim->view_index, s.view);
        const NodeAnimEntry* e = FindNodeEntry(cam);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->mode, ANIM_EASE_OUT);
        EXPECT_EQ(e->on_end, nullptr);
        EXPECT_TRUE(IsCameraMoving());
        startFrame();
        ASSERT_GE(runUntilStopped(cam), 0);
        EXPECT_FALSE(IsCameraMoving());
        EXPECT_NEAR(position(cam).x, s.x, 1e-4);
        EXPECT_NEAR(position(cam).z, s.z, 1e-4);
    }
}

TEST_F(CameraViews, ToggleGameViewTurnsToTheSideToMoveWhenSwitchedOn) {
    ASSERT_EQ(g_anim->game_view, 1);
    ToggleGameView();
    EXPECT_EQ(g_anim->game_view, 0);
    EXPECT_FALSE(IsCameraMoving()); // switching off moves nothing

    g_game->sideToMove = 1;
    g_anim->view_index = 2;
    ToggleGameView();
    EXPECT_EQ(g_anim->game_view, 1);
    EXPECT_EQ(g_anim->view_index, 1);
    startFrame();
    ASSERT_GE(runUntilStopped(cam), 0);
    EXPECT_VEC_NEAR(position(cam), 3.5f, 5, -2.5f, 1e-4);

    ToggleGameView();
    g_game->sideToMove = 0;
    ToggleGameView();
    EXPECT_EQ(g_anim->view_index, 0);
}

TEST_F(CameraViews, LookingAtTheBoardCentreAimsStraightAtIt) {
    place(3.5f, 5, 9.5f, -45, 0, 0);
    LookTowardsPoint(BOARD_CENTRE);
    const NodeAnimEntry* e = FindNodeEntry(cam);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->key_flag, KANIM_ROT);
    EXPECT_EQ(e->mode, ANIM_EASE_OUT);
    startFrame();
    ASSERT_GE(runUntilStopped(cam), 0);
    EXPECT_VEC_NEAR(position(cam), 3.5f, 5, 9.5f, 0); // turned in place
    EXPECT_LT(angleBetween(forward(cam), BOARD_CENTRE - position(cam)), 0.2f);
}

TEST_F(CameraViews, LookingAtAPointAimsOneThirdOfTheWayFromTheCentre) {
    // From every game view, at points to the sides, beyond the board and behind the camera.
    const KVector poses[] = {KVector(3.5f, 5, 9.5f), KVector(3.5f, 5, -2.5f),
                             KVector(9.5f, 5, 3.5f), KVector(-2.5f, 5, 3.5f)};
    const float yaws[] = {0, 179.9f, 90, -90};
    const KVector points[] = {KVector(0, 0, 3.5f), KVector(7, 0, 3.5f), KVector(0, 0, 0),
                              KVector(7, 0, 7),    KVector(5, 0, 6),    KVector(2, 0, 1),
                              KVector(3.5f, 1, 20)};
    for (int v = 0; v < 4; ++v) {
        for (const KVector& p : points) {
            SCOPED_TRACE(testing::Message() << "view " << v << " point " << p.x << "," << p.z);
            place(poses[v].x, poses[v].y, poses[v].z, -45, yaws[v], 0);
            const KVector eye = position(cam);
            const KVector toCentre = BOARD_CENTRE - eye;
            const KVector toPoint = p - eye;
            LookTowardsPoint(p);
            startFrame();
            ASSERT_GE(runUntilStopped(cam), 0);
            const KVector f = forward(cam);
            // Blending yaw and pitch is not blending directions: allow a few degrees.
            const float apart = angleBetween(toPoint, toCentre);
            EXPECT_NEAR(angleBetween(f, toCentre), apart / 3, 2 + apart * 0.1f);
            EXPECT_LT(angleBetween(f, toPoint), apart + 0.5f);
            EXPECT_NEAR(cam->prs.rot.z, 0, 0.01f);
        }
    }
}

TEST_F(CameraViews, LookingAtTheCameraItselfLeavesItAlone) {
    place(3.5f, 5, 9.5f, -45, 0, 0);
    LookTowardsPoint(KVector(3.5f, 5, 9.5f));
    EXPECT_FALSE(IsCameraMoving());
    // Straight below: no yaw to take from the direction, the camera keeps its own.
    LookTowardsPoint(KVector(3.5f, 0, 9.5f));
    startFrame();
    ASSERT_GE(runUntilStopped(cam), 0);
    EXPECT_FALSE(std::isnan(cam->prs.rot.x) || std::isnan(cam->prs.rot.y));
    EXPECT_NEAR(flat(forward(cam)).z, -1, 1e-3);
}

TEST_F(CameraViews, ACameraChangeDuringAFlightKeepsTheFlightsCompletion) {
    // The camera turns towards the computer's side; the player clicks or presses a view key
    // before it arrives: the computer must still answer, once, when the camera stops.
    const struct {
        const char* what;
        void (*change)();
    } changes[] = {
        {"next view", NextView},
        {"previous view", PreviousView},
        {"look at a point", [] { LookTowardsPoint(KVector(0, 0, 0)); }},
        {"game view off and on",
         [] {
             ToggleGameView();
             ToggleGameView();
         }},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.what);
        g_arrivals = 0;
        SetNodeAnim(cam, ANIM_VIEW_BLACK);
        StartNodeAnim(cam, ANIM_EASE_OUT, KANIM_POS | KANIM_ROT, arrived);
        startFrame();
        run(0.3);
        c.change();
        EXPECT_EQ(g_arrivals, 0);
        startFrame();
        ASSERT_GE(runUntilStopped(cam), 0);
        EXPECT_EQ(g_arrivals, 1);
        // Once it has run, a later change owes nothing.
        c.change();
        startFrame();
        ASSERT_GE(runUntilStopped(cam), 0);
        EXPECT_EQ(g_arrivals, 1);
    }
}
