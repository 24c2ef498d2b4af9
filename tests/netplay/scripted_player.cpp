// SPDX-License-Identifier: GPL-3.0-or-later
// scripted_player: the whole game as chess3d runs it (real clock, real sockets, SDL's windowless
// driver) with a player who plays by itself: on its turn it clicks a legal move chosen from SEED
// and the ply, three clicks as a player makes them.
//   scripted_player PLIES SEED SECONDS [chess3d options]
// Prints "MOVE n e2e4" for its moves, "FINAL n FEN" once the game has PLIES moves (and runs on,
// so that the other side gets the last move), "PEER lost|plays" (host) and "REJOIN begins|ends"
// (joining side) and a question's first line when it shows (unanswered), with the wall clock's
// time. Ends after SECONDS or on SIGTERM, as chess3d ends.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/game_main.h"
#include "app/launch_options.h"
#include "board/square_picking.h"
#include "chess/fen.h"
#include "chess/notation.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "netplay/host_addresses.h"
#include "netplay/host_peer.h"
#include "netplay/net_session.h"
#include "netplay/rejoin.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"

namespace {
volatile std::sig_atomic_t g_stop = 0;

// A legal move for this ply, never an under-promotion (the board promotes to a queen).
Move chooseMove(unsigned seed, int ply) {
    Move moves[MAX_LEGAL_MOVES], kept[MAX_LEGAL_MOVES];
    int n = 0;
    for (int i = 0, count = legal_moves(moves); i < count; ++i)
        if (moves[i].promote == 0 || moves[i].promote == QUEEN) kept[n++] = moves[i];
    return n ? kept[(seed * 2654435761u + unsigned(ply) * 40503u) % unsigned(n)] : Move{};
}

void event(const char* what) {
    const auto t = std::chrono::system_clock::now().time_since_epoch();
    std::printf("%s at %.2f\n", what, std::chrono::duration<double>(t).count());
    std::fflush(stdout);
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    const int plies = std::atoi(argv[1]);
    const unsigned seed = unsigned(std::atoi(argv[2]));
    const double limit = std::atof(argv[3]);
    LaunchOptions options;
    std::string error;
    argv[3] = argv[0];
    if (parseLaunchOptions(argc - 3, argv + 3, options, error) != LaunchRequest::Run) return 2;
    std::signal(SIGTERM, [](int) { g_stop = 1; });
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    KivInitDLL();
    if (!buildGame()) return 2;
    startFromOptions(options);
    int clicks = 0; // of the move under way
    Move move{};
    bool final = false, peer = false, back = false, asked = false;
    while (!g_stop && KRealSecondsSinceStart() < limit && runFrame()) {
        if (netSession().server && (playingPeer() != nullptr) != peer)
            event((peer = !peer) ? "PEER plays" : "PEER lost");
        if (rejoining() != back) event((back = !back) ? "REJOIN begins" : "REJOIN ends");
        if (g_game->questionShown != asked && (asked = !asked))
            event(g_ui->overlay->requestLine1->texte);
        const int played = g_game->record.moves.count;
        if (played >= plies || move_value(chooseMove(seed, played)) == 0) {
            if (!final) std::printf("FINAL %d %s\n", played, position_fen().c_str());
            final = true;
            std::fflush(stdout);
            continue;
        }
        final = false;
        // One click a frame while the board may be clicked, also while the camera turns.
        if (!g_game->mayPlayerClickBoard()) continue;
        if (clicks == 0) move = chooseMove(seed, played);
        onBoardClick(g_game->squares[clicks == 0 ? move.from : move.to].node);
        if (++clicks < 3) continue;
        clicks = 0;
        std::printf("MOVE %d %c%d%c%d\n", played + 1, 'a' + move.from % 8, 8 - move.from / 8,
                    'a' + move.to % 8, 8 - move.to / 8);
        std::fflush(stdout);
    }
    hostAddressesEnd(2.0);
    shutdownGame();
    KivFreeDLL();
    return 0;
}
