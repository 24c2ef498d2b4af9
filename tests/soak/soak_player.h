// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The soak harness's random player: every step it does one thing a player can do to the game in
// this process (a key, held or pressed, a click on a square, a menu entry, the request window's
// buttons, the window's top strip, a drag, the wheel, a typed line), and then lets a random
// amount of game clock pass, from a millisecond to two seconds, so that every glide, flight,
// wall turn, fade and countdown is caught at every point of its course. Some actions are longer
// plans (a move's three clicks, a move typed on the move line, a path through the menu to a new
// game, a save, a load, a request and its answer, joining or hosting) whose steps follow one
// another, still one per frame.
// Everything it chooses comes from its seed and the game's state, so a run replays exactly.

#include <cmath>
#include <cstdint>
#include <deque>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace soak {

// One step of the player: an input action (or none, a wait), the game clock that passes after
// it, and an optional check of what the step should have brought about.
struct Step {
    std::string text;                   // as the action log shows it
    std::function<void()> run;          // the input; empty for a wait
    double seconds = -1;                // game clock after it; negative: a random delay
    std::function<std::string()> check; // after the frame: empty when it held, else what failed
    // The other player (the peer game, the hostile peer) keeps still during this step: the
    // soft-lock probe's way back to the menu must not be undone by a request from the other
    // side closing the menu at that moment.
    bool hushOthers = false;
};

class Random {
public:
    explicit Random(uint64_t seed) : rng_(seed) {}
    int below(int n) { return n <= 1 ? 0 : int(rng_() % uint64_t(n)); }
    bool chance(double p) { return double(rng_() % 1000000) < p * 1000000.0; }
    // A pause between two actions: 1 ms to 2 s, most of them short.
    double delay() { return 0.001 * std::pow(2000.0, double(rng_() % 1000001) / 1000000.0); }

private:
    std::mt19937_64 rng_;
};

// What the player is: alone against the computer, the host or the joining side of a network
// game, or the local end of a game whose peer is hostile.
enum class Role { Local, Host, Join, Hostile };

class Player {
public:
    // Also chooses how many clicks a move takes (the settings' "moves" line): the host of a
    // network game two and the joining side three, so that each hears the other's kind; alone
    // and against the hostile peer, two for odd seeds, and every new game chooses again.
    Player(uint64_t seed, Role role);

    // The next step: the rest of a plan under way, else a new action chosen from the state.
    Step next();
    // Starts the soft-lock probe as the next steps (see soak_probe.cpp).
    void probe();
    // The next step asks the other player to keep still.
    bool hushesOthers() const { return !plan_.empty() && plan_.front().hushOthers; }
    Random& random() { return random_; }
    Role role() const { return role_; }

private:
    Step choose();
    Step keyAction();
    Step typedKey();
    Step clickSquare();
    Step mouseAction();
    void planMove();
    void planTypedMove();
    void planMenuPath(const std::vector<int>& entries, const char* what);
    void planNewGame();
    void planNetworkGame(bool host);
    void planSave();
    void planLoad();
    void planRequest(int key);
    void planEntryClick(int entry);
    void planQuitNo();
    void probeWait(double seconds);

    Random random_;
    Role role_;
    std::deque<Step> plan_;
};

} // namespace soak
