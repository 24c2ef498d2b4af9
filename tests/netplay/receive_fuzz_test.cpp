// SPDX-License-Identifier: GPL-3.0-or-later
// The receive handler fed random and mutated byte streams, in pieces of random size, against
// the real game in this process, both ends in turn: no crash (the sanitizer build runs this
// too), the input count always within the library's buffer, and after every stream the board,
// the game record and the engine agree. Between streams the local player moves, asks and
// answers as a player would, so the streams meet every state.
//
// CHESS3D_NET_FUZZ_STREAMS sets the number of streams (default 3,000; the long run uses
// 100,000), CHESS3D_NET_FUZZ_SEED the seed.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/netplay/net_world.h"

#include "anim/anim_manager.h"
#include "app/request_keys.h"
#include "board/square_picking.h"
#include "chess/position.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "net/KivNetwork.h"
#include "netplay/connection.h"
#include "netplay/messages.h"
#include "netplay/net_session.h"
#include "netplay/requests.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"

namespace {

constexpr int PORT = 29230;

unsigned long envNumber(const char* name, unsigned long fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::strtoul(v, nullptr, 10) : fallback;
}

class Fuzzer {
public:
    explicit Fuzzer(unsigned seed) : rng_(seed) {}

    int below(int n) { return int(rng_() % unsigned(n)); }
    bool chance(int percent) { return below(100) < percent; }

    // A move of `colour` the engine lists at the root (pseudo-legal: the board may refuse).
    bool pickMove(int colour, int& from, int& to) {
        std::vector<Move> mine;
        for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i) {
            const Move m = move_stack[i].move;
            if (square_color[m.from] == colour) mine.push_back(m);
        }
        if (mine.empty()) return false;
        const Move m = mine[size_t(below(int(mine.size())))];
        from = m.from;
        to = m.to;
        return true;
    }

    std::string click(char origin, int s) {
        return {'M', origin, char('a' + s % 8), char('8' - s / 8)};
    }

    // One message, mostly well formed, of a random kind.
    std::string message(char origin) {
        switch (below(16)) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
        case 5:
        case 6:
        case 7: { // the peer's three clicks of a move, when it has one
            int from, to;
            if (!pickMove(1 - g_game->humanColour, from, to)) return click(origin, below(64));
            return click(origin, from) + click(origin, to) + click(origin, to);
        }
        case 8:
            return below(3) ? click(origin, below(64))
                            : std::string{'M', origin, char(below(256)), char(below(256))};
        case 9: {
            std::string m(75, '\0');
            m[0] = 'C';
            m[1] = origin;
            for (int i = 2; i < 74; ++i)
                m[i] = char(below(4) ? 32 + below(95) : below(256));
            return m;
        }
        case 10:
            return std::string(1, "LRWB"[below(4)]);
        case 11:
            return {'Q', below(3) ? "YN"[below(2)] : char(below(256))};
        case 12:
            return " ";
        case 13:
            return wholeGame();
        default: // several moves' clicks are only ever sent turn by turn: one click alone
            return click(origin, below(64));
        }
    }

    // 'S': the game so far, a prefix of it, knight shuffles, or damaged values; its length
    // field sometimes disagrees with the block.
    std::string wholeGame() {
        std::vector<uint32_t> moves;
        const int shape = below(4);
        if (shape == 0) {
            const int n = below(g_game->record.moves.count + 1);
            for (int i = 0; i < n; ++i)
                moves.push_back(uint32_t(g_game->record.moves[i]));
        } else if (shape == 1) {
            moves = peer::knightShuffle(chance(5) ? 600 + below(200) : below(12));
        } else {
            const int n = below(6);
            for (int i = 0; i < n; ++i)
                moves.push_back(shape == 2 ? rng_() : uint32_t(rng_()) & 0x01777777u);
        }
        int length = int(moves.size()) * 4;
        if (chance(10)) length = below(64);
        std::string m = {'S', "BN"[below(2)], char(length & 0xff), char(length >> 8)};
        if (chance(5)) m[1] = char(below(256));
        for (uint32_t v : moves)
            for (int k = 0; k < 4; ++k)
                m.push_back(char(v >> (8 * k)));
        return m;
    }

    // Random bytes, or a few messages with their bytes mutated.
    std::string stream(char origin) {
        std::string s;
        if (chance(10)) {
            const int n = 1 + below(300);
            for (int i = 0; i < n; ++i)
                s.push_back(char(below(256)));
            return s;
        }
        const int count = 1 + below(6);
        for (int i = 0; i < count; ++i)
            s += message(origin);
        const int mutations = chance(60) ? 0 : 1 + below(3);
        for (int i = 0; i < mutations && !s.empty(); ++i) {
            const size_t at = size_t(below(int(s.size())));
            switch (below(4)) {
            case 0:
                s[at] = char(below(256));
                break;
            case 1:
                s.insert(at, 1, char(below(256)));
                break;
            case 2:
                s.erase(at, 1);
                break;
            default:
                s.resize(at);
                break;
            }
        }
        return s;
    }

    std::mt19937 rng_;
};

class ReceiveFuzz : public NetWorld {
protected:
    // Whatever the library would close: the handler asked for it, or the buffer is full.
    void closeConnection(int& length) {
        length = 0;
        netSession().dropRequested = false;
        int value = 0;
        OnConnectionClosed("player", &value);
    }

    // The local player's turn: a move by clicks, as often as not.
    void localPlay(Fuzzer& f) {
        if (g_game->awaitingOpponent || g_game->pieceInMotion) return;
        int from, to;
        if (!f.chance(50) || !f.pickMove(g_game->humanColour, from, to)) return;
        onBoardClick(g_game->squares[from].node);
        onBoardClick(g_game->squares[to].node);
        onBoardClick(g_game->squares[to].node);
    }

    void animate(double seconds) {
        KAdvanceTestClock(seconds);
        UpdateAnimations();
    }
};

} // namespace

TEST_F(ReceiveFuzz, RandomAndMutatedStreamsKeepBoardRecordAndEngineInStep) {
    const unsigned long streams = envNumber("CHESS3D_NET_FUZZ_STREAMS", 3000);
    const unsigned seed = unsigned(envNumber("CHESS3D_NET_FUZZ_SEED", 20261208));
    host(PORT); // a real server without a peer: a network game on the host's end
    KServer* server = netSession().server;
    ASSERT_NE(server, nullptr);
    KClient client; // never connected: the joining end's network game
    Fuzzer f(seed);
    char input[KNET_INPUT_SIZE];
    int length = 0;
    unsigned long handled = 0, movesPlayed = 0, drops = 0, questions = 0;

    for (unsigned long n = 0; n < streams; ++n) {
        // Each end in turn, a few hundred streams at a time.
        const int side = (n / 400) % 2 ? NET_JOIN : NET_HOST;
        netSession().server = side == NET_HOST ? server : nullptr;
        netSession().client = side == NET_JOIN ? &client : nullptr;

        localPlay(f);
        if (!g_game->requestPending && f.chance(5)) askRequest("RWB"[f.below(3)]);
        if (!g_game->requestPending && f.chance(1)) { // a load the peer is asked to accept
            g_game->requestPending = 1;
            g_game->pendingRequest = 'L';
            g_game->fileName = "./Save/no such game.chs";
        }

        const int movesBefore = g_game->record.moves.count;
        const std::string bytes = f.stream(side == NET_HOST ? 'C' : 'H');
        size_t at = 0;
        while (at < bytes.size()) {
            // As the library appends what one read brings: never past 2,047 bytes.
            if (length >= KNET_INPUT_MAX) closeConnection(length);
            const size_t piece = std::min<size_t>(bytes.size() - at, 1 + size_t(f.below(600)));
            const size_t room = size_t(KNET_INPUT_MAX - length);
            const size_t take = std::min(piece, room);
            std::memcpy(input + length, bytes.data() + at, take);
            length += int(take);
            at += take;
            ReceiveMessages(side, input, &length);
            ++handled;
            ASSERT_GE(length, 0) << "stream " << n;
            ASSERT_LE(length, KNET_INPUT_MAX) << "stream " << n;
            if (netSession().dropRequested) {
                ++drops;
                closeConnection(length);
            }
            if (f.chance(20)) animate(0.4); // glides end, the peer's waiting clicks go on
        }
        if (g_game->record.moves.count == movesBefore + 1) ++movesPlayed;
        if (g_game->questionShown && f.chance(70)) {
            ++questions;
            AnswerRequest(f.chance(50));
            showRequest(false, nullptr, nullptr);
        }
        if (f.chance(30)) animate(1.5);
        const std::string wrong = disagreement();
        ASSERT_EQ(wrong, "") << "after stream " << n << " (seed " << seed << ")";
    }
    netSession().client = nullptr;
    netSession().server = server;
    // What the streams reached, to see that they meet every state.
    std::printf("%lu streams, %lu handler calls, %lu peer moves played, %lu questions answered, "
                "%lu connections closed\n",
                streams, handled, movesPlayed, questions, drops);
}
