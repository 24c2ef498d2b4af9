// SPDX-License-Identifier: GPL-3.0-or-later
// The frame loop's rest on the whole game, driven as the real loop runs it but on the test clock:
// a pass, then the wait the loop asks for. At rest only the ambient frames come (none with the
// ambient motion off); input, a window event, a network message and an engine's answer each
// get their frame at once; a glide, a wall turn and a fade keep frames coming until they end;
// and the frame cap waits rather than spins.

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "board/intro.h"
#include "tests/app/game_fixture.h"
#include "tests/netplay/test_peer.h"

#include "anim/anim_manager.h"
#include "app/frame_loop.h"
#include "app/frame_rest.h"
#include "board/board_scene.h"
#include "board/square_picking.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/opponent.h"
#include "game/settings.h"
#include "netplay/connection.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"

namespace {

constexpr int PORT = 29280;

struct Tally {
    int passes = 0, frames = 0, restFrames = 0, rests = 0, spins = 0;
    double seconds = 0; // of game clock
    double rate() const { return frames / seconds; }
};

class Rest : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        IntroSkip();
        loop(10, [] { return g_game->menuOpen && lastFramePlan().resting; });
    }
    // Passes as the real loop runs them, each followed by the wait it asks for on the test
    // clock, for `seconds` of game clock or until `done` after a pass. A pass that asks for no
    // wait at all is a spin: the wait is then a millisecond.
    template <class Done> static Tally loop(double seconds, Done done) {
        Tally t;
        while (t.seconds < seconds) {
            EXPECT_TRUE(framePass(FrameDraw::Render));
            ++t.passes;
            t.frames += lastFramePlan().draw;
            if (lastFramePlan().draw) lastDrawn() = pictureFingerprint();
            t.restFrames += lastFramePlan().draw && lastFramePlan().resting;
            if (done()) break;
            t.rests += lastFramePlan().resting;
            double wait = secondsToNextPass();
            if (wait <= 0) ++t.spins, wait = 0.001;
            KAdvanceTestClock(wait);
            t.seconds += wait;
        }
        return t;
    }
    static Tally loop(double seconds) {
        return loop(seconds, [] { return false; });
    }
    // The picture as the last frame drawn showed it.
    static uint64_t& lastDrawn() {
        static uint64_t print = 0;
        return print;
    }
    // The pass right after `event`, a moment after a frame of the rest: it draws at once.
    template <class Event> static void drawnAtOnce(const char* what, Event event) {
        loop(1, [] { return lastFramePlan().draw && lastFramePlan().resting; });
        KAdvanceTestClock(0.001);
        event();
        ASSERT_TRUE(framePass(FrameDraw::Render));
        EXPECT_TRUE(lastFramePlan().draw) << what;
        EXPECT_FALSE(lastFramePlan().resting) << what;
    }
    static void pushEvent(SDL_Event e) {
        e.key.windowID = SDL_GetWindowID(g_app->screen->window); // same place in every event
        SDL_PushEvent(&e);
    }
    // The real loop waits at rest until a socket or pipe is ready (here: for real time).
    static bool readyWithin(double seconds) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!waitHandlesReady())
            if (std::chrono::steady_clock::now() > end) return false;
        return true;
    }
};

TEST_F(Rest, AtRestOnlyTheAmbientFramesThenInputOrAWindowEventDrawsAtOnce) {
    const Tally still = loop(5);
    EXPECT_NEAR(still.rate(), AMBIENT_FRAMES_PER_SECOND, 0.5);
    EXPECT_EQ(still.restFrames, still.frames);
    EXPECT_LE(still.passes, still.frames + 1) << "at rest the loop wakes only for its frames";

    drawnAtOnce("a key", [] {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.keysym.sym = SDLK_LSHIFT;
        e.key.keysym.scancode = SDL_SCANCODE_LSHIFT;
        pushEvent(e);
    });
    drawnAtOnce("the pointer over the wall", [] {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.x = 200;
        e.motion.y = 150;
        pushEvent(e);
    });
    drawnAtOnce("the window uncovered", [] {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = SDL_WINDOWEVENT_EXPOSED;
        pushEvent(e);
    });
    // The statistics say it: the frame that begins a rest says so.
    drawnAtOnce("H", [] { g_app->screen->keyDown('H'); });
    loop(1, [] { return lastFramePlan().resting && lastFramePlan().draw; });
    EXPECT_NE(std::strstr(g_ui->overlay->restLine->texte, "at rest"), nullptr);
}

TEST_F(Rest, AGlideAWallTurnAndAFadeKeepFramesComingUntilTheyEnd) {
    // Each runs until it ends, no pass resting meanwhile; when the rest begins, the last frame
    // drawn shows its end.
    auto throughout = [](const char* what, bool (*running)(), bool steady) {
        ASSERT_TRUE(running()) << what;
        const Tally t = loop(10, [running] { return !running(); });
        EXPECT_FALSE(running()) << what;
        EXPECT_EQ(t.rests, 0) << what;
        EXPECT_EQ(t.spins, 0) << what;
        loop(1, [] { return lastFramePlan().resting; });
        EXPECT_EQ(pictureFingerprint(), lastDrawn()) << what << ": its end is not drawn";
        // Moving all along, it gets a frame every refresh period.
        EXPECT_TRUE(!steady || t.frames > 0.9 * t.seconds / frameLoopPeriod()) << what;
    };
    turnWall(1); // to the colour page
    throughout(
        "the wall turn", [] { return FindNodeEntry(g_ui->cubes[0][0])->state != ANIM_STOPPED; },
        true);

    startNewGame(0);
    g_game->gameStarted = 1;
    setMenuOpen(false);
    loop(10, [] { return lastFramePlan().resting; });
    for (int square : {52, 36, 36}) // e2-e4
        onBoardClick(g_game->squares[square].node);
    throughout(
        "the glide", [] { return g_game->pieceInMotion != nullptr; }, true);

    loop(10, [] { return lastFramePlan().resting; });
    showInfo(true, true, "a timed message"); // fades in, holds, fades out
    throughout(
        "the fade",
        [] { return FindMaterialEntry(GetMatByName(g_scene, "info"))->state != ANIM_STOPPED; },
        false);
}

TEST_F(Rest, AMessageWakesTheRestAndIsDrawnAtOnce) {
    netPort() = PORT;
    HostGame();
    peer::Socket p;
    ASSERT_TRUE(p.connectTo(PORT));
    ASSERT_TRUE(readyWithin(5));
    loop(10, [] { return lastFramePlan().resting && !waitHandlesReady(); });
    p.send(peer::chat('C', "hello"));
    ASSERT_TRUE(readyWithin(5)) << "the message does not wake the rest";
    ASSERT_TRUE(framePass(FrameDraw::Render));
    EXPECT_TRUE(lastFramePlan().draw) << "the chat line is not drawn in the pass that reads it";
}

TEST_F(Rest, AnEngineAnswerWakesTheLoopAndIsDrawnAtOnce) {
    OpponentChoice choice;
    choice.engine = std::string(FAKE_UCI_ENGINE) + " hang"; // answers its first search only
    startOpponent(choice);
    startNewGame(1); // the engine plays White
    g_game->gameStarted = 1;
    setMenuOpen(false);
    // Asked at once or when the camera has turned; a quick engine may answer in that very pass.
    auto askedOrPlayed = [] {
        return opponentThinkingInMs() >= 0 || g_game->record.moves.count > 0;
    };
    if (!askedOrPlayed()) loop(10, askedOrPlayed);
    for (int i = 0; i < 20 && g_game->record.moves.count == 0; ++i) {
        ASSERT_TRUE(readyWithin(10)) << "the engine's lines do not wake the loop";
        ASSERT_TRUE(framePass(FrameDraw::Render));
    }
    ASSERT_EQ(g_game->record.moves.count, 1);
    // The piece starts from where it stands: its first step is drawn a frame period later.
    EXPECT_FALSE(lastFramePlan().resting);
    EXPECT_LE(secondsToNextPass(), frameLoopPeriod());
    KAdvanceTestClock(secondsToNextPass());
    ASSERT_TRUE(framePass(FrameDraw::Render));
    EXPECT_TRUE(lastFramePlan().draw) << "the computer's glide is not drawn";
}

// On the real clock: while the intro flies, every pass draws. A loop that did not wait out the
// frame period would run passes that find their frame not yet allowed.
class RealClock : public GameFixture {
protected:
    static void SetUpTestSuite() {
        GameFixture::SetUpTestSuite();
        KSetTestClock(false);
    }
};

TEST_F(RealClock, TheFrameCapSleepsRatherThanSpins) {
    ASSERT_TRUE(g_game->introRunning);
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(framePass(FrameDraw::Render));
        waitForNextPass();
    }
    const FrameLoopCounts& c = frameLoopCounts();
    EXPECT_LE(c.passes, c.frames + 1);
}

// The ambient frames keep within their share of a core: dear ones come less often, down to the
// floor, cheap ones at the ambient pace.
TEST(AmbientPace, DearFramesComeLessOftenWithinTheirShareOfACore) {
    for (const double cost : {0.005, 0.040, 0.200}) {
        FrameRest rest(1.0 / 60, 1.0 / AMBIENT_FRAMES_PER_SECOND, LONGEST_REST_SECONDS);
        int frames = 0;
        for (double now = 0; now < 10; now = rest.nextPass()) {
            FrameFacts still;
            still.now = now;
            if (!rest.plan(still).draw) continue;
            rest.drawn(now);
            rest.noteAmbientFrameCost(cost);
            ++frames;
        }
        const double rate = frames / 10.0, floor = 1 / AMBIENT_LONGEST_PERIOD;
        EXPECT_LE(rate, AMBIENT_FRAMES_PER_SECOND + 0.1) << cost;
        EXPECT_GE(rate, floor - 0.1) << cost;
        EXPECT_TRUE(rate * cost <= AMBIENT_PROCESSOR_SHARE + 0.01 || rate < floor + 0.2) << cost;
    }
}

class RestWithoutAmbient : public Rest {
protected:
    static void SetUpTestSuite() {
        gameSettings().ambient = false;
        GameFixture::SetUpTestSuite();
    }
};

TEST_F(RestWithoutAmbient, AStillGameDrawsNothingAndWakesOnlyForInput) {
    const Tally still = loop(5);
    EXPECT_EQ(still.frames, 0);
    EXPECT_LE(still.passes, 5 / LONGEST_REST_SECONDS + 1);
    drawnAtOnce("a click", [] { g_app->screen->buttonDown(MK_LBUTTON, 10, 10); });
}

} // namespace
