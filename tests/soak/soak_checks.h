// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The invariants the soak harness checks after every step of the random player, on the game in
// this process:
//   board      whenever no piece moves, every piece's node hangs under its square's node at the
//              square's place (or under the graveyard when taken), the board's squares, the
//              record's identities and the engine's position agree, and every move recorded
//              replays legally from the start;
//   views      the menu and the pause view never show together, the locks and signs follow them,
//              the camera shows what the flags say (the menu view under the menu, the tour under
//              the pause), the board shows whenever the menu is closed in a game, the wall only
//              with the menu or on the way to or from it;
//   selection  a selected piece is one of the side to move's on the board, a target only with
//              it, and the marks show exactly the selection;
//   requests   a request waits only for a peer who is there to answer it, and the player who
//              asked neither moves nor asks again meanwhile;
//   info line  never an internal error;
//   computer   in a game against the computer it never waits more than 10 s of game clock for
//              its turn on a still board with nothing over it, unless the game has ended;
//   ending     no local move after the end unless the game was reopened, the end is the
//              engine's verdict (a resignation aside), the banner shows it over the board.
// More come from elsewhere: the frame loop's rest (soak_rest.h), the soft-lock probe
// (soak_probe.cpp) and, in a network game, the two boards' agreement (soak_network.cpp).

#include <string>

namespace soak {

// The game's state in one line, for reports: the view flags, the screens, the camera, the
// board and the connection.
std::string stateSummary();

class Checks {
public:
    // The state a step starts from, for the invariants that compare it with the step's end.
    void beforeAction();
    // All invariants after a step in which `seconds` of game clock passed. Empty when they
    // held, else the first that failed and how.
    std::string afterStep(double seconds);
    // Invariant checks made so far.
    long count() const { return count_; }

private:
    std::string board();
    std::string views();
    std::string selection();
    std::string requests();
    std::string infoLine();
    std::string computer(double seconds);
    std::string ending();

    long count_ = 0;
    int movesChecked_ = -1;      // record length last replayed
    unsigned movesHash_ = 0;     // and its moves, so a take-back and a new move are replayed too
    double computerWaited_ = 0;  // game clock the computer has been due to move
    unsigned selectionHash_ = 0; // the game, colour and peer of the last step
    int selectionColour_ = 0;
    const void* selectionConnection_ = nullptr;
    const void* selectionPiece_ = nullptr; // the selection after the last step
    const void* selectionTarget_ = nullptr;
    bool requestWaited_ = false; // a request of this side waited before the step's action
    int requestCode_ = 0;        // which request it was
    int requestMoves_ = 0;       // and the record then
    unsigned requestHash_ = 0;
    long gamesLoaded_ = 0;                                 // whole games received by then
    int endedAt_ = -1, movesBefore_ = 0, humanBefore_ = 0; // end, moves, colour before the step
    unsigned judgedHash_ = 0; // the moves and the end the ending check last judged
};

} // namespace soak
