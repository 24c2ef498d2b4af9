// SPDX-License-Identifier: GPL-3.0-or-later
// A real game joining a test peer that plays the host from the bytes up: the countdown, the
// host's game ending the wait and closing the connect screen, moves and chat both ways, the
// host leaving, and a host that never answers.

#include <gtest/gtest.h>

#include "tests/netplay/net_world.h"

#include "app/input.h"
#include "app/launch_options.h"
#include "app/request_keys.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "netplay/net_session.h"
#include "netplay/rejoin.h"
#include "ui/interface.h"
#include "ui/net_lines.h"
#include "ui/text_overlay.h"

using peer::chat;
using peer::recordedMove;

namespace {

constexpr int PORT = 29210; // + one offset per case

int g_connectScreenToggles = 0;

class JoiningGame : public NetWorld {
protected:
    // As `chess3d --join 127.0.0.1 --port N` starts.
    void join(int port) {
        LaunchOptions options;
        options.joinAddress = "127.0.0.1";
        options.port = port;
        startFromOptions(options);
    }
    void key(int code) {
        onKeyDown(code);
        onKeyUp(code);
    }
};

} // namespace

TEST_F(JoiningGame, CountsDownUntilTheHostsGameArrivesThenPlaysAndChats) {
    peer::Socket hostPeer;
    ASSERT_TRUE(hostPeer.listenOn(PORT));
    join(PORT);
    EXPECT_EQ(info(), "Waiting for server : 10 sec");
    ASSERT_TRUE(passUntil([&] { return hostPeer.accept(); }, 100));
    for (int i = 0; i < 42; ++i)
        pass(0.1);
    EXPECT_EQ(info(), "Waiting for server : 5 sec");
    key(9); // keys wait with the countdown: the chat does not open
    EXPECT_FALSE(g_ui->overlay->chatLines[0]->visible);

    // The host's game arrives while the camera flies back from the menu (as right after
    // `--join`, or when the player has just closed the menu), and the connect screen is still
    // up with its address, as when the player joined from it.
    setMenuOpen(true);
    setMenuOpen(false);
    g_ui->connectScreenOpen = 1;
    g_ui->choiceConfirmed = 1;
    g_ui->overlay->ipLine->SetTexte("127.0.0.1 ");
    g_ui->overlay->ipLength = 9;
    g_ui->screens.toggleConnectScreen = [] { ++g_connectScreenToggles; };

    // The host plays White and has played e2-e4.
    deliver(hostPeer, peer::wholeGame('B', {recordedMove(6, 4, 4, 4, 0, KIND_PAWN, 4)}));
    EXPECT_TRUE(netSession().connectIdle) << "the countdown stops";
    EXPECT_EQ(g_ui->info->hidden, 1);
    EXPECT_EQ(g_connectScreenToggles, 1);
    EXPECT_EQ(g_ui->connectScreenOpen, 0);
    EXPECT_EQ(g_ui->overlay->ipLength, 0);
    EXPECT_EQ(g_ui->overlay->ipLine->texte[0], '_');
    EXPECT_EQ(g_ui->choiceConfirmed, 0);
    EXPECT_EQ(g_game->humanColour, 1);
    EXPECT_EQ(g_game->record.moves.count, 1);
    EXPECT_EQ(disagreement(), "");
    settle();
    // The new game's flight took over the menu's closing step: clicks reach the board.
    EXPECT_EQ(g_ui->wallRoot->hidden, 1);
    EXPECT_FALSE(menuClick(nullptr, 1, 400, 300));

    localClick("e7");
    localClick("e5");
    localClick("e5");
    EXPECT_EQ(fromGame(hostPeer, 12), "MCe7MCe5MCe5");
    settle();
    EXPECT_EQ(g_game->record.moves.count, 2);

    // The host's g1-f3 by its clicks: the joiner's turn again.
    for (const char* s : {"g1", "f3", "f3"})
        deliver(hostPeer, peer::click('H', peer::square(s) / 8, peer::square(s) % 8));
    settle();
    EXPECT_EQ(g_game->record.moves.count, 3);
    EXPECT_EQ(g_game->sideToMove, 1);
    EXPECT_FALSE(g_game->awaitingOpponent);
    localClick("b8");
    EXPECT_NE(g_game->selectedPiece, nullptr);
    EXPECT_EQ(fromGame(hostPeer, 4), "MCb8");
    EXPECT_EQ(disagreement(), "");

    // Chat both ways: the host's line shows, the joiner's typed line goes out whole.
    deliver(hostPeer, chat('H', "good luck"));
    EXPECT_EQ(lastChatLine(), "good luck");
    key('H');
    key('I');
    key(13);
    EXPECT_EQ(fromGame(hostPeer, 75), chat('C', "hi" + std::string(69, ' ')));

    // The host's connection drops on its own turn while the joiner asks for a new game: the
    // joiner says so, locks its board and joins the same address again, counting down.
    localClick("c6");
    localClick("c6");
    EXPECT_EQ(fromGame(hostPeer, 8), "MCc6MCc6");
    settle();
    ASSERT_EQ(g_game->record.moves.count, 4);
    const std::vector<uint32_t> played(g_game->record.moves.block, g_game->record.moves.block + 4);
    askRequest('R');
    ASSERT_TRUE(g_game->requestPending);
    hostPeer.close();
    ASSERT_TRUE(passUntil([] { return rejoining(); }));
    EXPECT_FALSE(g_game->requestPending) << "the request went with the connection";
    EXPECT_TRUE(g_game->inputSuspended);
    const std::string counting = "Host lost : joining again ";
    pass(0.05);
    ASSERT_EQ(info().rfind(counting, 0), 0u);
    const int before = std::stoi(info().substr(counting.size()));
    for (int i = 0; i < 60; ++i)
        pass(0.05);
    EXPECT_EQ(info(), counting + std::to_string(before - 3) + " sec");
    EXPECT_EQ(std::string(netLine(0)), "Escape : stop and play the computer");

    // The host takes the new connection and sends the whole game: both go on where they were.
    ASSERT_TRUE(passUntil([&] { return hostPeer.accept(); }, 200));
    deliver(hostPeer, peer::wholeGame('B', played));
    pass(0.05);
    EXPECT_FALSE(rejoining());
    EXPECT_EQ(info(), "Game resumed");
    EXPECT_FALSE(g_game->inputSuspended);
    EXPECT_EQ(g_game->humanColour, 1);
    EXPECT_EQ(g_game->record.moves.count, 4);
    EXPECT_EQ(disagreement(), "");

    // Lost again; this time the player gives up with Escape: the game goes on against the
    // computer, which answers for the host's side.
    settle();
    hostPeer.close();
    ASSERT_TRUE(passUntil([] { return rejoining(); }));
    key(27);
    EXPECT_EQ(netSession().client, nullptr);
    EXPECT_EQ(info(), "Connection failed");
    EXPECT_TRUE(passUntil([] { return g_game->record.moves.count == 5; }))
        << "the computer answers";
    EXPECT_EQ(disagreement(), "");
}

TEST_F(JoiningGame, AHostThatNeverAnswersEndsTheWaitWithConnectionFailed) {
    // A listener whose queue is full never completes the connection: the kernel would keep
    // trying for minutes.
    peer::Socket full, first;
    ASSERT_TRUE(full.listenOn(PORT + 1, 0));
    ASSERT_TRUE(first.connectTo(PORT + 1));
    join(PORT + 1);
    ASSERT_NE(netSession().client, nullptr);
    for (int i = 0; i < 99; ++i)
        pass(0.1);
    EXPECT_EQ(info(), "Waiting for server : 0 sec");
    EXPECT_NE(netSession().client, nullptr) << "no failure is reported during the wait";
    pass(0.2);
    EXPECT_EQ(netSession().client, nullptr);
    EXPECT_EQ(info(), "Connection failed");
    EXPECT_TRUE(netSession().connectIdle);
    EXPECT_FALSE(g_game->inputSuspended);
}

// A join text with a colon that is no address is a name: looked up beside the frame loop (the
// look-up is abandoned here, before any resolver answers), never connected to as it is.
TEST_F(JoiningGame, ATextWithAColonThatIsNoAddressIsLookedUpBesideTheFrame) {
    LaunchOptions options;
    options.joinAddress = "host:4000:x";
    options.port = PORT + 2;
    startFromOptions(options);
    EXPECT_EQ(info(), "Looking up host..");
    EXPECT_EQ(netSession().client, nullptr);
    rejoinReset();
}
