// SPDX-License-Identifier: GPL-3.0-or-later
// The network receive handler against the whole game, built in this process as the program
// builds it (offscreen window, test clock, data from CHESS3D_DATA_DIR). Each input is one
// peer's stream in a fresh network game:
//   byte 0  what this end does: bit 0 joining side (else host), bit 1 answer the peer's
//           questions, bit 2 accept them, bits 3-5 a request of ours the peer may answer
//           (1 'R', 2 'W', 3 'B', 4 'L'), bit 6 the local player moves when it is its turn,
//           bit 7 (joining) still waiting for the host's first message
//   byte 1  how many bytes arrive per pass (0: 256)
//   rest    the bytes the peer sends
// Passes run as the frame loop runs them: the library's 2048-byte input buffer handed to the
// handler, then the animations advanced. After every pass the board, the game record and the
// chess engine must tell the same game.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "anim/anim_manager.h"
#include "app/game_main.h"
#include "app/input.h"
#include "board/board_moves.h"
#include "board/board_scene.h"
#include "board/intro.h"
#include "chess/position.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "net/KivNetwork.h"
#include "netplay/connection.h"
#include "netplay/host_peer.h"
#include "netplay/messages.h"
#include "netplay/net_session.h"
#include "netplay/requests.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"

namespace {

constexpr int REQUEST_CODES[8] = {0, 'R', 'W', 'B', 'L', 0, 0, 0};

void advance(double seconds) {
    KAdvanceTestClock(seconds);
    UpdateAnimations();
}

// The board, the record and the engine agree square by square, on the pieces taken and on the
// side to move.
bool agree() {
    static const int ENGINE_KIND[8] = {-1, -1, PAWN, QUEEN, KING, BISHOP, KNIGHT, ROOK};
    for (int s = 0; s < 64; ++s) {
        const PieceRecord* p = g_game->squares[s].piece;
        const PieceId id = g_game->record.square_ids[s];
        if (p) {
            if (p->square != &g_game->squares[s] ||
                id != make_piece_id(p->colour, p->kind, p->index) || square_color[s] != p->colour ||
                square_piece[s] != ENGINE_KIND[movingKind(p)])
                return false;
        } else if (id != NO_PIECE || square_color[s] != EMPTY) {
            return false;
        }
    }
    for (PieceId id : g_game->record.captured) {
        const PieceRecord* p = g_game->pieceOf(id_colour(id), id_kind(id), id_index(id));
        if (!p || p->square) return false;
    }
    return g_game->sideToMove == side_to_move;
}

// The local player's move when it is its turn: the first the board allows.
void localMove() {
    BoardScene* b = g_board;
    if (g_game->pieceInMotion || g_game->sideToMove != g_game->humanColour) return;
    for (PieceRecord* p : g_game->pieces) {
        if (p->colour != g_game->humanColour || !p->square) continue;
        for (SquareRecord& s : g_game->squares)
            if (g_game->tryMove(p, &s, false)) {
                if (g_game->tryMove(p, &s, true)) g_game->endTurn();
                return;
            }
    }
}

// The host's playing peer: a connection without a descriptor, so that what the game sends it
// stays in its queue. The host handles only the input of the peer that plays, so the bytes
// arrive in this connection's own buffer.
KSocket* hostPeer() {
    static KSocket* peer = new KSocket(-1, 1);
    return peer;
}

// A fresh network game at rest, this end in the role the input asks for.
void freshGame(uint8_t flags) {
    leaveNetworkGame();
    if (g_game->questionShown) showRequest(false, nullptr, nullptr);
    NetSession& net = netSession();
    net.dropRequested = false;
    net.dropInput = nullptr;
    startNewGame(0);
    g_game->gameStarted = 1;
    if (g_game->menuOpen) setMenuOpen(false);
    // The new game's camera flight and indicators come to rest (a start, then two long steps
    // for what their completions start).
    advance(0.05);
    advance(3.0);
    advance(3.0);
    g_game->requestPending = 0;
    if (flags & 1) {
        netSession().client = new KClient();
        netSession().connectIdle = (flags & 0x80) ? 0 : 1;
    } else {
        netSession().server = new KServer(); // no port: nothing is sent anywhere
        KSocket* peer = hostPeer();
        peer->inputLength = 0;
        peer->outputLength = 0;
        peer->outputOverflow = false;
        hostPeerArrived(nullptr, peer);
    }
    const int request = REQUEST_CODES[(flags >> 3) & 7];
    if (request) {
        g_game->requestPending = 1;
        g_game->pendingRequest = request;
        g_game->fileName = "./Save/fuzz-no-such-game.chs";
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* data = std::getenv("CHESS3D_DATA_DIR");
    if (!data || chdir(data) != 0) {
        std::fprintf(stderr, "fuzz_receive: set CHESS3D_DATA_DIR to the bin folder of a build\n");
        std::exit(1);
    }
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    KivInitDLL();
    KSetTestClock(true);
    if (!buildGame()) {
        std::fprintf(stderr, "fuzz_receive: the game could not be built in %s\n", data);
        std::exit(1);
    }
    shrinkWindow();
    shrinkWindow();
    IntroSkip();
    for (int i = 0; i < 40 && !g_game->menuOpen; ++i)
        advance(0.25);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint8_t flags = data[0];
    const size_t perPass = data[1] ? data[1] : 256;
    const int side = (flags & 1) ? NET_JOIN : NET_HOST;
    freshGame(flags);
    if (!agree()) __builtin_trap();

    static char joinInput[KNET_INPUT_SIZE];
    char* input = side == NET_HOST ? hostPeer()->input : joinInput;
    int inputLength = 0;
    size_t next = 2;
    // The bytes arrive, then passes go on until the handler has taken what it can.
    for (int idle = 0; idle < 4;) {
        const size_t room = KNET_INPUT_SIZE - size_t(inputLength);
        size_t take = size - next < perPass ? size - next : perPass;
        if (take > room) take = room;
        std::memcpy(input + inputLength, data + next, take);
        inputLength += int(take);
        next += take;
        const int before = inputLength;
        if (side == NET_HOST)
            OnServerInput(input, &inputLength);
        else
            OnClientInput(input, &inputLength);
        if (inputLength < 0 || inputLength > before) __builtin_trap();
        NetSession& net = netSession();
        if (net.dropRequested) { // the connection goes: the rest never arrives
            net.dropRequested = false;
            forgetPeer();
            break;
        }
        if ((flags & 2) && g_game->questionShown) { // answered as the window's click does
            AnswerRequest((flags & 4) != 0);
            showRequest(false, nullptr, nullptr);
        }
        if ((flags & 0x40) && (netSession().server || netSession().client)) localMove();
        advance(0.6);
        if (!agree()) __builtin_trap();
        if (next == size && (take == 0 || inputLength == 0)) ++idle;
    }
    advance(2.0);
    if (!agree()) __builtin_trap();
    return 0;
}
