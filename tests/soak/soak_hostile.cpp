// SPDX-License-Identifier: GPL-3.0-or-later
// The hostile mode: the game hosts a network game, and its peer is this harness over a raw
// loopback socket. Between the random player's steps the peer sends what a faulty or hostile
// program might: well-formed messages (the peer's moves clicked on its turn, chat, requests,
// answers, whole games), the same cut, mutated or mixed with random bytes, and floods of
// requests, chat lines and unasked games; it reads and drops what the game sends, answers what
// the game asks now and then, and leaves and comes back, silent (mostly) until it has the game.
// A stranger from 127.0.0.2 waits now and then. The game's invariants must hold, and the seat's.

#include <linux/sockios.h>
#include <sys/ioctl.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "app/launch_options.h"
#include "board/board_moves.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/settings.h"
#include "net/KivNetwork.h"
#include "netplay/host_peer.h"
#include "netplay/net_session.h"
#include "tests/netplay/test_peer.h"
#include "tests/soak/soak_modes.h"
#include "tests/soak/soak_run.h"
#include "tests/soak/soak_trace.h"
#include "tests/soak/soak_wire.h"
#include "tests/soak/soak_world.h"
#include "ui/interface.h"

namespace soak {

namespace {

constexpr uint64_t PEER_SEED_MIX = 0xC2B2AE3D27D4EB4Full;
constexpr char ORIGIN = 'C'; // the peer is the joining side

class HostilePeer {
public:
    HostilePeer(uint64_t seed, int port) : random_(seed), port_(port) {}

    // One turn of the peer before the game's frame; returns what it did, empty for nothing.
    std::string act() {
        if (std::string s = stranger(); !s.empty()) return s;
        if (!socket_ || !socket_->open()) {
            if (!random_.chance(0.2)) return "";
            socket_ = std::make_unique<peer::Socket>();
            if (!socket_->connectTo(port_)) return "peer: connect refused";
            ++connections;
            given_ = false;
            return "peer: connects";
        }
        if (!socket_->pump()) { // the game closed the connection
            socket_.reset();
            ++closedByGame;
            return "peer: the game closed the connection";
        }
        given_ = given_ || !socket_->received().empty();
        socket_->received().clear();
        if (random_.chance(0.002)) {
            socket_.reset();
            return "peer: leaves";
        }
        if (!random_.chance(given_ ? 0.3 : 0.01)) return "";
        std::string bytes;
        std::string what = message(bytes);
        if (random_.chance(0.05)) what += mutate(bytes);
        send(bytes);
        ++messages;
        return "peer: " + what;
    }

    long connections = 0, closedByGame = 0, messages = 0;

private:
    // The stranger connects now and then, keeps still, and leaves once it has the game.
    std::string stranger() {
        if (!stranger_ && random_.chance(0.003)) {
            stranger_ = std::make_unique<peer::Socket>();
            if (stranger_->connectTo(port_, "127.0.0.2")) return "stranger: connects";
        }
        if (stranger_ && stranger_->open() && stranger_->pump() && stranger_->received().empty())
            return "";
        const bool given = stranger_ && !stranger_->received().empty();
        stranger_.reset();
        return given ? "stranger: has the game, leaves" : "";
    }

    void send(const std::string& bytes) {
        // Written in pieces the game takes as it reads: its frames run meanwhile.
        socket_->send(bytes, [] { frame(0, false); });
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        int queued = 0;
        while (ioctl(socket_->fd(), SIOCOUTQNSD, &queued) == 0 && queued > 0 &&
               std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }

    std::string click(int square) { return peer::click(ORIGIN, square / 8, square % 8); }

    // The peer's move on its turn, clicked as a player would.
    bool peerMove(std::string& bytes) {
        if (g_game->sideToMove == g_game->humanColour) return false;
        std::vector<std::pair<int, int>> moves;
        for (PieceRecord* p : g_game->pieces) {
            if (!p->square || p->colour != g_game->sideToMove) continue;
            for (int t = 0; t < 64; ++t)
                if (g_game->tryMove(p, &g_game->squares[t], false))
                    moves.push_back({p->row * 8 + p->column, t});
        }
        if (moves.empty()) return false;
        const auto [from, to] = moves[size_t(random_.below(int(moves.size())))];
        bytes = click(from) + click(to) + click(to);
        return true;
    }

    std::string wholeGame(std::string& bytes) {
        std::vector<uint32_t> moves;
        switch (random_.below(4)) {
        case 0:
            for (int i = 0; i < random_.below(g_game->record.moves.count + 1); ++i)
                moves.push_back(uint32_t(g_game->record.moves[i]));
            break;
        case 1:
            moves = peer::knightShuffle(random_.chance(0.05) ? 700 : random_.below(12));
            break;
        default:
            for (int i = random_.below(6); i > 0; --i)
                moves.push_back(uint32_t(random_.below(1 << 25)));
            break;
        }
        bytes = peer::wholeGame("BN"[random_.below(2)], moves);
        if (random_.chance(0.1)) bytes[2] = char(random_.below(64)); // a length that lies
        return "a whole game of " + std::to_string(moves.size()) + " moves";
    }

    std::string message(std::string& bytes) {
        switch (random_.below(15)) {
        case 0:
        case 1:
        case 2:
        case 3:
            if (peerMove(bytes)) return "its move";
            bytes = click(random_.below(64));
            return "a click";
        case 4:
            bytes = peer::chat(ORIGIN, "hello " + std::to_string(random_.below(1000)));
            return "a chat line";
        case 5:
            bytes = std::string(1, "LRWB"[random_.below(4)]);
            return "a request";
        case 6:
            bytes = peer::answer(random_.chance(0.6));
            return "an answer";
        case 7:
            return wholeGame(bytes);
        case 8: {
            // Floods: a stream of requests, of chat lines or of unasked games.
            const int kind = random_.below(3), count = 20 + random_.below(300);
            for (int i = 0; i < count; ++i)
                bytes += kind == 0   ? std::string(1, 'R')
                         : kind == 1 ? peer::chat(ORIGIN, "flood")
                                     : peer::wholeGame('B', peer::knightShuffle(2));
            return "a flood of " + std::to_string(count) +
                   (kind == 0   ? " requests"
                    : kind == 1 ? " chat lines"
                                : " unasked games");
        }
        case 9:
            bytes = {'M', ORIGIN, char(random_.below(256)), char(random_.below(256))};
            return "a click off the board";
        case 10:
            bytes = " ";
            return "a blank";
        case 11:
            if (!random_.chance(0.2)) return message(bytes);
            for (int i = 1 + random_.below(40); i > 0; --i)
                bytes.push_back(char(random_.below(256)));
            return "random bytes";
        default:
            bytes = peer::clickOff(ORIGIN);
            return "a cleared selection";
        }
    }

    std::string mutate(std::string& bytes) {
        if (bytes.empty()) return "";
        const size_t at = size_t(random_.below(int(bytes.size())));
        switch (random_.below(3)) {
        case 0:
            bytes[at] = char(random_.below(256));
            return " (a byte changed)";
        case 1:
            bytes.resize(at);
            return " (cut)";
        default:
            bytes.insert(at, 1, char(random_.below(256)));
            return " (a byte inserted)";
        }
    }

    Random random_;
    int port_;
    std::unique_ptr<peer::Socket> socket_, stranger_;
    bool given_ = false; // the game has sent something on socket_
};

// Whether the step's action line is the click on the question's accept button.
bool acceptClicked(const std::string& line) {
    const std::string click = ": click request button 0";
    return line.size() >= click.size() &&
           line.compare(line.size() - click.size(), click.size(), click) == 0;
}

// The address the host's question names ("A player from ADDRESS"), "" when none is up.
std::string askedAddress() {
    const TextOverlay* o = g_ui ? g_ui->overlay : nullptr;
    const bool asked = g_game->questionShown && g_game->questionCode == TAKE_SEAT_QUESTION;
    if (!asked || !o || !o->requestLine1) return "";
    const std::string line = o->requestLine1->texte, lead = "A player from ";
    return line.compare(0, lead.size(), lead) == 0 ? line.substr(lead.size()) : "";
}

// The seat's address (kept in `seat`) moves only in a step that answered the host's question
// (`asked`: the address it named before the step). A yes (the accept button) makes that address
// the seat even when its connection is gone by the end of the step: it takes the seat at once
// when it comes back.
bool seatKept(Run& run, std::string& seat, const std::string& asked) {
    run.countCheck();
    const KSocket* peer = netSession().server ? playingPeer() : nullptr;
    if (!netSession().server) seat.clear();
    // Answered: the question naming that address is no longer up. Another question may have
    // taken its place in the same step (the newly seated peer's request, at once).
    const bool answered = !asked.empty() && askedAddress() != asked;
    if (answered && !peer && acceptClicked(run.log().last())) seat = asked;

    if (!peer || peer->host == seat) return true;
    if (!seat.empty() && !answered) return run.fail("seat: " + seat + " replaced by " + peer->host);
    seat = peer->host;
    return true;
}

} // namespace

int runHostile(const Options& options) {
    const std::string folder = makeSaveFolder("hostile");
    std::filesystem::create_directories(folder);
    noteAction("start-up");
    if (!buildWorld(folder, options.ambient())) {
        std::fprintf(out(), "chess3d-soak: the game could not be built\n");
        removeSaveFolder(folder);
        return 2;
    }
    LaunchOptions launch;
    launch.port = freePort();
    launch.hostColour = 0;
    startFromOptions(launch);
    HostilePeer hostile(options.seed ^ PEER_SEED_MIX, launch.port);
    Run run(options, Role::Hostile, options.seed);
    std::string seat; // the seat's address
    const auto start = std::chrono::steady_clock::now();
    bool ok = true;
    for (;;) {
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (options.over(run.steps(), elapsed)) break;
        // The port the player may host on again after leaving is the one the peer knows.
        netPort() = launch.port;
        const std::string peerDid = run.player().hushesOthers() ? "" : hostile.act();
        if (!peerDid.empty()) run.note(peerDid);
        const std::string asked = askedAddress();
        ok = run.step() && run.memoryFlat(elapsed) && seatKept(run, seat, asked);
        noteAction(run.log().last());
        if (!ok) break;
    }
    alarm(0);
    if (!ok) report(options, run, nullptr);
    std::fprintf(out(), "peer: %ld connections, %ld sendings, %ld connections closed by the game\n",
                 hostile.connections, hostile.messages, hostile.closedByGame);
    if (traceHashWanted())
        std::fprintf(out(), "trace X %016llx\n", (unsigned long long)run.traceHash());
    std::fprintf(out(), "soak hostile seed %llu: %ld steps, %ld invariant checks, %d violations\n",
                 (unsigned long long)options.seed, run.steps(), run.checks(), ok ? 0 : 1);
    removeSaveFolder(folder);
    return ok ? 0 : 1;
}

} // namespace soak
