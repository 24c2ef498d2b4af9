// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/netplay/net_world.h"
#include "board/camera_views.h"

#include <chrono>
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <thread>

#include "anim/anim_manager.h"
#include "app/launch_options.h"
#include "board/square_picking.h"
#include "chess/position.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "net/KivNetwork.h"
#include "netplay/connection.h"
#include "netplay/host_peer.h"
#include "netplay/net_session.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"

void NetWorld::host(int port) {
    LaunchOptions options;
    options.hostColour = 0;
    options.port = port;
    startFromOptions(options);
    ASSERT_TRUE(runFramesUntil([] { return !g_game->menuOpen && !IsCameraMoving(); }, 300));
    // Straight into the game: nothing of the intro or the menu is left to come back later.
    for (int i = 0; i < 30; ++i)
        pass(0.2);
    ASSERT_FALSE(g_game->menuOpen);
    ASSERT_TRUE(g_game->gameStarted);
    ASSERT_FALSE(g_game->inputSuspended);
    ASSERT_EQ(g_ui->wallRoot->hidden, 1);
}

void NetWorld::pass(double dt) {
    KAdvanceTestClock(dt);
    UpdateAnimations();
    ServerStep();
    ClientStep();
}

void NetWorld::settle() {
    passUntil([] { return !g_game->pieceInMotion && !IsCameraMoving(); });
}

int NetWorld::gameSocket() {
    if (netSession().client) return netSession().client->sock;
    KSocket* peer = netSession().server ? playingPeer() : nullptr;
    return peer ? peer->sock : -1;
}

namespace {

int queued(int fd, unsigned long request) {
    int n = 0;
    return fd >= 0 && ioctl(fd, request, &n) == 0 ? n : 0;
}

} // namespace

void NetWorld::deliver(peer::Socket& p, const std::string& bytes) {
    p.send(bytes, [] { pass(0); });
    // Loopback hands the bytes over at once; what the peer's socket still holds and what the
    // game's socket has not read yet tell whether all of it was read.
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    do {
        pass(0);
        if (queued(p.fd(), SIOCOUTQ) == 0 && queued(gameSocket(), FIONREAD) == 0) return;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    } while (std::chrono::steady_clock::now() < end);
    ADD_FAILURE() << "the game did not read " << bytes.size() << " bytes";
}

std::string NetWorld::fromGame(peer::Socket& p, size_t count) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (p.received().size() < count && std::chrono::steady_clock::now() < end) {
        pass(0);
        p.pump();
    }
    std::string got = p.received().substr(0, count);
    p.received().erase(0, got.size());
    return got;
}

std::string NetWorld::info() {
    return g_ui->overlay->infoText->texte;
}

std::string NetWorld::lastChatLine() {
    TextOverlay* o = g_ui->overlay;
    std::string line = o->chatLines[(o->chatRing + 3) % 4]->texte;
    const size_t last = line.find_last_not_of(' ');
    return last == std::string::npos || last < 1 ? "" : line.substr(1, last);
}

void NetWorld::localClick(const char* square) {
    onBoardClick(g_game->squares[peer::square(square)].node);
}

std::string NetWorld::disagreement() {
    static const int ENGINE_KIND[8] = {-1, -1, PAWN, QUEEN, KING, BISHOP, KNIGHT, ROOK};
    std::string out;
    for (int s = 0; s < 64; ++s) {
        const PieceRecord* p = g_game->squares[s].piece;
        const PieceId id = g_game->record.square_ids[s];
        const bool agree = p ? id == make_piece_id(p->colour, p->kind, p->index) &&
                                   square_color[s] == p->colour &&
                                   square_piece[s] == ENGINE_KIND[movingKind(p)]
                             : id == NO_PIECE && square_color[s] == EMPTY;
        if (!agree) out += "square " + std::to_string(s) + "; ";
    }
    for (PieceId id : g_game->record.captured) {
        const PieceRecord* p = g_game->pieceOf(id_colour(id), id_kind(id), id_index(id));
        if (!p || p->square) out += "taken piece " + std::to_string(id) + " on the board; ";
    }
    if (g_game->sideToMove != side_to_move) out += "side to move; ";
    return out;
}
