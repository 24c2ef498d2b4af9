#pragma once
// The host's peer: the one connection that plays, among whatever else reaches the port. While
// a game is played, a newcomer waits beside it: one that closes within STRAY_SECONDS (a port
// probe, a scanner) or speaks before it is given the game (a joining game never does) is
// dropped and the game never notices; one still there, silent, after STRAY_SECONDS is taken for
// the player come back (the old connection may still look alive for a while) and takes over.
// When nobody plays, a newcomer gets the game at once, as it always has.
//
// All of it runs on the frame loop's thread, from the network library's callbacks and the
// host's step.

class KPort;
class KSocket;

constexpr float STRAY_SECONDS = 2.0f;    // a newcomer gone before this was a stray
constexpr int NEWCOMERS_MAX = 8;         // newcomers waiting at once; more are turned away
constexpr float WAIT_NOTE_SECONDS = 3.f; // the peer's loss is said this long before "Waiting"

// The connection that plays, null when nobody does.
KSocket* playingPeer();

// The library's new-connection callback: the first connection plays at once (the whole game is
// sent, "New client"); later ones wait as newcomers. Returns 0.
int hostPeerArrived(KPort* port, KSocket* connection);

// Whether input came from the playing peer. Input from a newcomer marks it a stranger (it is
// closed after the pass) and must not be handled.
bool hostInputFromPeer(const char* input);

// The library closed a connection: true when it was the playing peer (the game tells the
// player); a newcomer or a replaced peer is forgotten quietly (false).
bool hostPeerClosed();

// Once per frame after the port's pass: newcomers age; strangers are closed; a newcomer past
// STRAY_SECONDS takes over; with nobody playing, the waiting message comes back.
void hostPeerStep();

// The server is gone: nobody plays, no newcomer waits.
void hostPeerReset();
