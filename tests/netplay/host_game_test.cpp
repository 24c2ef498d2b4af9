// SPDX-License-Identifier: GPL-3.0-or-later
// A real game hosting on loopback, driven by a test peer that speaks the protocol from the
// bytes up: the whole game on connection, moves by clicks both ways, chat, requests, every
// message split at every byte boundary and several in one write, and what a faulty or hostile
// peer sends. The host's board, record and engine are checked after each step.

#include <gtest/gtest.h>

#include "tests/netplay/net_world.h"

#include "anim/anim_manager.h"
#include "app/input.h"
#include "app/request_keys.h"
#include "game/game_end_state.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "net/KivNetwork.h"
#include "netplay/connection.h"
#include "netplay/host_peer.h"
#include "netplay/messages.h"
#include "netplay/net_session.h"
#include "netplay/requests.h"
#include "ui/interface.h"
#include "ui/net_lines.h"
#include "ui/text_overlay.h"

using peer::chat;
using peer::click;
using peer::square;

namespace {

constexpr int PORT = 29200; // + one offset per case: cases run side by side

class HostedGame : public NetWorld {
protected:
    // Hosts on PORT + offset and connects the peer, which receives the game (no moves yet).
    void start(int offset) {
        host(PORT + offset);
        ASSERT_EQ(info(), "Waiting for client..");
        ASSERT_TRUE(p.connectTo(PORT + offset));
        ASSERT_EQ(fromGame(p, 4), std::string("SB\0\0", 4));
        EXPECT_EQ(info(), "New client");
    }
    // The peer's three clicks of a move, each delivered on its own.
    void peerMove(const char* from, const char* to) {
        deliver(p, click('C', square(from) / 8, square(from) % 8));
        deliver(p, click('C', square(to) / 8, square(to) % 8));
        deliver(p, click('C', square(to) / 8, square(to) % 8));
        settle();
    }
    void localMove(const char* from, const char* to) {
        localClick(from);
        localClick(to);
        localClick(to);
        settle();
    }
    // The peer is asked: accepted through the request window as the menu's click does.
    void answer(bool accepted) {
        ASSERT_TRUE(g_game->questionShown);
        AnswerRequest(accepted);
        showRequest(false, nullptr, nullptr);
    }
    PieceRecord* at(const char* name) { return g_game->squares[square(name)].piece; }
    static int countConnections() {
        int n = 0;
        for (KSocket* c = netSession().server->port->sockets; c; c = c->next)
            ++n;
        return n;
    }

    peer::Socket p;
};

} // namespace

TEST_F(HostedGame, PeerReceivesTheGamePlaysByClicksChatsAndAsks) {
    start(0);
    localMove("e2", "e4");
    EXPECT_EQ(fromGame(p, 12), "MHe2MHe4MHe4");
    ASSERT_EQ(g_game->record.moves.count, 1);

    // Black's first click arrives in pieces: nothing happens until its last byte.
    const std::string select = click('C', 1, 4); // e7
    for (size_t k = 1; k < select.size(); ++k) {
        deliver(p, select.substr(0, k));
        EXPECT_EQ(g_game->selectedPiece, nullptr) << k << " bytes";
        deliver(p, select.substr(k));
        EXPECT_EQ(g_game->selectedPiece, at("e7")) << k << " bytes";
        deliver(p, peer::clickOff('C'));
        EXPECT_EQ(g_game->selectedPiece, nullptr) << "a click off the board clears it";
    }
    EXPECT_EQ(g_anim->view_index, 1) << "after the host's move";
    EXPECT_EQ(g_anim->game_view, 1) << "after the host's move";
    peerMove("e7", "e5");
    EXPECT_EQ(g_anim->view_index, 0) << "the camera turns to the side to move";
    ASSERT_EQ(g_game->record.moves.count, 2);
    EXPECT_EQ(at("e5")->colour, 1);
    EXPECT_EQ(disagreement(), "");

    // Several messages in one write: a chat line, a whole capturing move, a request.
    localMove("d2", "d4");
    fromGame(p, 12);
    const std::string d4 = click('C', square("d4") / 8, square("d4") % 8);
    deliver(p, chat('C', "take that") + click('C', 3, 4) + d4 + d4 + "W");
    passUntil([] { return g_game->questionShown != 0; });
    EXPECT_EQ(lastChatLine(), "take that");
    ASSERT_EQ(g_game->record.moves.count, 4);
    EXPECT_EQ(at("d4")->colour, 1);
    EXPECT_EQ(g_game->record.captured.count, 1);
    EXPECT_STREQ(g_ui->overlay->requestLine1->texte, "Client propose");
    EXPECT_STREQ(g_ui->overlay->requestLine2->texte, "swap colors");
    answer(true);
    EXPECT_EQ(fromGame(p, 2), "QY");
    EXPECT_EQ(g_game->humanColour, 1);
    EXPECT_EQ(disagreement(), "");
}

TEST_F(HostedGame, EveryMessageSplitAtEveryByteBoundary) {
    start(1);
    // 'C': 75 bytes.
    const std::string line = chat('C', "split chat line");
    for (size_t k = 1; k < line.size(); ++k) {
        deliver(p, line.substr(0, k));
        ASSERT_NE(lastChatLine(), "split chat line") << k;
        deliver(p, line.substr(k));
        ASSERT_EQ(lastChatLine(), "split chat line") << k;
        deliver(p, chat('C', "between"));
    }
    // 'Q': the answer counts once its second byte is there.
    askRequest('R');
    fromGame(p, 1);
    deliver(p, "Q");
    EXPECT_TRUE(g_game->requestPending);
    deliver(p, "N");
    EXPECT_FALSE(g_game->requestPending);
    EXPECT_EQ(info(), "Request rejected");

    // 'S' from the joining side after its load request was accepted, split at every byte: the
    // host's game becomes the peer's (the host takes the other colour).
    const std::vector<uint32_t> moves = peer::knightShuffle(3);
    const std::string game = peer::wholeGame('B', moves);
    for (size_t k = 1; k < game.size(); ++k) {
        deliver(p, "L");
        answer(true);
        ASSERT_EQ(fromGame(p, 2), "QY");
        deliver(p, game.substr(0, k));
        deliver(p, game.substr(k));
        ASSERT_EQ(g_game->record.moves.count, 3) << k;
        for (int i = 0; i < 3; ++i)
            ASSERT_EQ(uint32_t(g_game->record.moves[i]), moves[i]) << k;
        EXPECT_EQ(g_game->humanColour, 1) << k;
        EXPECT_EQ(disagreement(), "") << k;
    }
}

TEST_F(HostedGame, WhatAFaultyOrHostilePeerSendsChangesNothingItShouldNot) {
    start(2);
    // Clicks for the host's colour: the peer may not move the host's pieces.
    deliver(p, click('C', 6, 4) + click('C', 4, 4) + click('C', 4, 4));
    EXPECT_EQ(g_game->selectedPiece, nullptr);
    EXPECT_EQ(g_game->record.moves.count, 0);
    EXPECT_EQ(disagreement(), "");
    ASSERT_NE(at("e2"), nullptr) << "the peer moved the host's pawn";
    EXPECT_EQ(at("e2")->kind, KIND_PAWN);

    // An answer nobody asked for: the host's last request (refused) is not carried out now.
    localMove("e2", "e4");
    askRequest('B');
    fromGame(p, 12 + 1);
    deliver(p, peer::answer(false));
    deliver(p, peer::answer(true));
    EXPECT_EQ(g_game->record.moves.count, 1) << "a take-back without consent";
    EXPECT_FALSE(g_game->requestPending);

    // Blanks: a stray one before a message is skipped; one inside a message is part of it,
    // even when the network cuts the message right after it.
    const std::string line = chat('C', "blank here");
    deliver(p, " " + line.substr(0, 8)); // ends with the blank of "blank here"
    deliver(p, line.substr(8));
    EXPECT_EQ(lastChatLine(), "blank here");
    // A game whose block holds a 0x20 byte (the target a6 of a7-a6), cut right after it.
    deliver(p, "L");
    answer(true);
    fromGame(p, 2);
    const std::vector<uint32_t> a6 = {peer::recordedMove(6, 4, 4, 4, 0, KIND_PAWN, 4),  // e4
                                      peer::recordedMove(1, 0, 2, 0, 1, KIND_PAWN, 0)}; // a6
    const std::string game = peer::wholeGame('N', a6);
    ASSERT_EQ(game[4 + 4], ' ');
    deliver(p, game.substr(0, 4 + 5));
    deliver(p, game.substr(4 + 5) + chat('C', "after the game"));
    EXPECT_EQ(g_game->record.moves.count, 2);
    ASSERT_NE(at("a6"), nullptr) << "the game received was not loaded";
    EXPECT_EQ(at("a6")->kind, KIND_PAWN);
    EXPECT_EQ(lastChatLine(), "after the game");
    EXPECT_EQ(disagreement(), "");

    // A game whose moves name the right pieces but break the rules (a rook jumping its pawn)
    // is refused whole: the engine could not follow it.
    deliver(p, "L");
    answer(true);
    fromGame(p, 2);
    deliver(p, peer::wholeGame('N', {a6[0], peer::recordedMove(0, 0, 2, 0, 1, KIND_ROOK, 0)}));
    EXPECT_EQ(info(), "Damaged game received : not loaded");
    EXPECT_EQ(g_game->record.moves.count, 2) << "the game before the damaged one was not kept";
    EXPECT_EQ(disagreement(), "");

    // Questions sent in a stream: the first stays on screen until it is answered.
    deliver(p, "RWB");
    EXPECT_EQ(g_game->questionCode, 'R');
    answer(false);
    fromGame(p, 2);

    // A whole game nobody agreed to load is skipped, block and all; what follows still counts.
    const int kept = g_game->record.moves.count;
    deliver(p, peer::wholeGame('B', peer::knightShuffle(3)) + chat('C', "still here"));
    EXPECT_EQ(g_game->record.moves.count, kept);
    EXPECT_EQ(lastChatLine(), "still here");

    // A type letter no message starts with: that connection goes at once, the game goes on
    // and waits for a new peer, which gets the game.
    deliver(p, "X" + chat('C', "never shown"));
    passUntil([&] { return !p.pump(); });
    EXPECT_TRUE(p.closedByGame());
    EXPECT_EQ(info(), "Unknown message : connection closed");
    EXPECT_EQ(lastChatLine(), "still here");
    EXPECT_NE(netSession().server, nullptr);
    peer::Socket next;
    ASSERT_TRUE(next.connectTo(PORT + 2));
    EXPECT_EQ(fromGame(next, 4 + 4 * kept).substr(0, 4),
              std::string("SB", 2) + char(4 * kept) + '\0');
}

TEST_F(HostedGame, GamesOfAnyLengthTheFieldCarries) {
    start(3);
    // 4,000 moves: 16,004 bytes, eight times what the library's input buffer holds.
    deliver(p, "L");
    answer(true);
    fromGame(p, 2);
    const std::vector<uint32_t> moves = peer::knightShuffle(4000);
    deliver(p, peer::wholeGame('B', moves) + chat('C', "loaded"));
    passUntil([] { return lastChatLine() == "loaded"; });
    ASSERT_EQ(g_game->record.moves.count, 4000);
    EXPECT_EQ(uint32_t(g_game->record.moves[3999]), moves[3999]);
    EXPECT_EQ(disagreement(), "");

    // Sent the other way: the longest game the 16-bit length holds goes whole; one move more
    // is refused with a message and nothing is sent.
    g_game->record.moves.clear();
    for (uint32_t m : peer::knightShuffle(WHOLE_GAME_MAX_BLOCK / 4))
        g_game->record.moves.push(int32_t(m));
    ASSERT_TRUE(SendWholeGame());
    const std::string sent = fromGame(p, 4 + WHOLE_GAME_MAX_BLOCK);
    ASSERT_EQ(sent.size(), 4u + WHOLE_GAME_MAX_BLOCK);
    EXPECT_EQ(sent.substr(0, 4), std::string("SN\xfc\xff", 4));
    g_game->record.moves.push(int32_t(moves[0]));
    EXPECT_FALSE(SendWholeGame());
    EXPECT_EQ(info(), "Game too long to send");
    for (int i = 0; i < 20; ++i)
        pass(0);
    p.pump();
    EXPECT_EQ(p.received().size(), 0u);
}

TEST_F(HostedGame, PeersComingAndGoing) {
    start(4);
    // The peer leaves while the host waits for an answer: the request is dropped, the keys
    // work again.
    askRequest('R');
    EXPECT_EQ(info(), "Waiting for request answer");
    p.close();
    EXPECT_TRUE(passUntil([] { return !g_game->requestPending; })) << "the request stays pending";
    EXPECT_EQ(info(), "Connection aborted withplayer");

    // Then the host says again that it waits, and where it can be found.
    for (int i = 0; i < 70; ++i)
        pass(0.05);
    EXPECT_EQ(info(), "Waiting for client..");
    EXPECT_TRUE(netLinesShown());

    // A new peer asks a question. Others connect meanwhile and wait beside the game: a port
    // probe that comes and goes, a stranger that speaks first, a third from the player's own
    // address that stays silent. The first two are dropped unnoticed; the third, still there
    // after STRAY_SECONDS, is the player come back: it takes over, and the older connection
    // goes with its question.
    peer::Socket second, third, probe, stranger;
    ASSERT_TRUE(second.connectTo(PORT + 4));
    fromGame(second, 4);
    EXPECT_FALSE(netLinesShown());
    deliver(second, "W");
    ASSERT_TRUE(g_game->questionShown);
    ASSERT_TRUE(third.connectTo(PORT + 4));
    ASSERT_TRUE(probe.connectTo(PORT + 4, "127.0.0.3"));
    ASSERT_TRUE(stranger.connectTo(PORT + 4, "127.0.0.4"));
    passUntil([] { return countConnections() == 4; });
    probe.close();
    stranger.send("GET / HTTP/1.0\r\n\r\n");
    passUntil([&] { return !stranger.pump() && countConnections() == 2; });
    EXPECT_TRUE(stranger.closedByGame());
    EXPECT_TRUE(g_game->questionShown) << "the game went on unaware";
    EXPECT_EQ(info(), "New client");
    EXPECT_TRUE(second.pump());
    for (int i = 0; i < int(STRAY_SECONDS / 0.05f) + 2; ++i)
        pass(0.05);
    EXPECT_EQ(fromGame(third, 4), std::string("SB\0\0", 4));
    passUntil([&] { return !second.pump(); });
    EXPECT_TRUE(second.closedByGame());
    EXPECT_FALSE(g_game->questionShown) << "an answer would change the host's board alone";
    EXPECT_EQ(g_game->humanColour, 0);

    // Hosting again from the menu while a peer is connected: the peer gets the new game.
    localMove("e2", "e4");
    fromGame(third, 12);
    startNewGame(1);
    HostGame();
    EXPECT_EQ(fromGame(third, 4), std::string("SN\0\0", 4));
}

TEST_F(HostedGame, OnlyThePlayersOwnAddressOrTheHostsYesTakesTheSeat) {
    start(6);
    const auto asked = [](const char* who) {
        return passUntil([] { return g_game->questionShown != 0; }) &&
               g_ui->overlay->requestLine1->texte == "A player from " + std::string(who);
    };
    // A silent stranger from another machine waits beside the live peer and never replaces it.
    peer::Socket stranger, returner, late, flood[20];
    ASSERT_TRUE(stranger.connectTo(PORT + 6, "127.0.0.2"));
    for (int i = 0; i < 120; ++i)
        pass(0.05);
    deliver(p, chat('C', "still mine"));
    EXPECT_EQ(lastChatLine(), "still mine");
    stranger.close();
    // The player's own address comes back (its old connection still looks alive), then 20
    // arrivals from another address: they never push it out, and it takes over.
    ASSERT_TRUE(returner.connectTo(PORT + 6));
    for (peer::Socket& f : flood)
        if (f.connectTo(PORT + 6, "127.0.0.3")) pass(0.01);
    EXPECT_TRUE(passUntil([&] { return !p.pump(); }));
    EXPECT_EQ(fromGame(returner, 4), std::string("SB\0\0", 4));
    EXPECT_EQ(countConnections(), 3) << "the returner and two of the flood";
    EXPECT_FALSE(flood[19].pump()) << "an address connecting too often is turned away at once";
    // Once the player is gone, a stranger takes the seat only if the host says yes.
    returner.close();
    ASSERT_TRUE(asked("127.0.0.3"));
    EXPECT_STREQ(g_ui->overlay->requestLine2->texte, "wants to take over : accept ?");
    answer(false);
    EXPECT_TRUE(passUntil([] { return countConnections() == 0; })) << "a refused address waits";
    ASSERT_TRUE(late.connectTo(PORT + 6, "127.0.0.4"));
    ASSERT_TRUE(asked("127.0.0.4"));
    answer(true);
    EXPECT_EQ(fromGame(late, 4), std::string("SB\0\0", 4));
    for (peer::Socket& f : flood)
        EXPECT_TRUE(!f.pump() && f.received().empty());
}

TEST_F(HostedGame, AHostOnATakenPortStaysALocalGame) {
    peer::Socket holder;
    ASSERT_TRUE(holder.listenOn(PORT + 5));
    host(PORT + 5);
    EXPECT_EQ(netSession().server, nullptr);
    EXPECT_EQ(info(), "Cannot host : port 29205 in use");
    // A local game: the player plays on.
    localMove("e2", "e4");
    EXPECT_TRUE(passUntil([] { return g_game->record.moves.count == 2; }))
        << "the computer answers";
}

TEST_F(HostedGame, AMoveTypedOnTheMoveLineReachesThePeerAsClicksAndTheReplayKeysDoNothing) {
    constexpr int KEY_ENTER = 13, KEY_LEFT = 37, KEY_UP = 38;
    host(30550); // this case's own port
    ASSERT_TRUE(p.connectTo(30550));
    ASSERT_EQ(fromGame(p, 4), std::string("SB\0\0", 4));
    for (int key : {KEY_ENTER, int('E'), int('4'), KEY_ENTER}) {
        onKeyDown(key);
        onKeyUp(key);
    }
    settle();
    EXPECT_EQ(fromGame(p, 12), "MHe2MHe4MHe4");
    ASSERT_EQ(g_game->record.moves.count, 1);
    peerMove("e7", "e5");
    ASSERT_EQ(g_game->record.moves.count, 2);
    for (int key : {KEY_LEFT, KEY_UP}) {
        onKeyDown(key);
        onKeyUp(key);
        settle();
        EXPECT_EQ(g_game->record.ShownCount(), 2);
        EXPECT_EQ(at("e5")->colour, 1);
        EXPECT_EQ(g_game->sideToMove, 0);
    }
    EXPECT_EQ(disagreement(), "");
}

// The host's move ends the game (the position after 1.Nf3 back the third time): its player's
// clicks are refused and not sent, but a peer that plays on is replayed and the boards agree.
TEST_F(HostedGame, AGameEndedByTheHostsMoveStaysInStepWithAPeerThatPlaysOn) {
    host(30570); // this case's own port
    ASSERT_TRUE(p.connectTo(30570));
    ASSERT_EQ(fromGame(p, 4), std::string("SB\0\0", 4)); // seated before the first move
    localMove("g1", "f3");
    for (int round = 0; round < 3; ++round) {
        peerMove("b8", "c6");
        localMove("b1", "c3");
        peerMove("c6", "b8");
        localMove("c3", "b1");
    }
    EXPECT_EQ(gameVerdict().end, DRAW_BY_REPETITION);
    EXPECT_EQ(fromGame(p, 7 * 3 * 4).size(), 84u); // the host's three clicks a move
    peerMove("b8", "c6");
    localClick("b1");
    EXPECT_EQ(info(), "Game over : R for a new game");
    pass();
    p.pump();
    EXPECT_EQ(p.received(), "") << "a refused click went out";
    EXPECT_EQ(g_game->record.moves.count, 14);
    EXPECT_EQ(disagreement(), "");
    EXPECT_EQ(gameVerdict().end, DRAW_BY_REPETITION) << "the end stays where it came";
}
