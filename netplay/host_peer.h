// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The host's seat: the one connection that plays, among whatever else reaches the port (a port
// scanner, a probe, a stranger, the player coming back). The game cannot tell a returning
// player from a stranger by what it sends (a joining game sends nothing before it has the
// game), so the seat goes by address:
// - before anybody has played since hosting began, the first connection plays at once;
// - the seat's address (the one that plays, or played last when its connection is gone) is the
//   player coming back: a newcomer from it takes the seat at once when the old connection is
//   gone, or after STRAY_SECONDS beside one that still looks alive (it may be half-open: the
//   player's network dropped and came back before this side noticed);
// - any other address never replaces a live connection. Once that connection has failed
//   (closed, or found dead by the library's keep-alive), the host player is asked about the
//   oldest newcomer silent for STRAY_SECONDS: "A player from ADDRESS" / "wants to take over :
//   accept ?". Yes gives it the seat; no closes it and keeps its address out for
//   REFUSED_SECONDS.
// A newcomer that speaks before it is given the game is closed, and one that closes within
// STRAY_SECONDS was a probe: the game never notices either. Newcomers wait in arrival order, at
// most NEWCOMERS_PER_ADDRESS per address (a newer one pushes out the oldest of its address) and
// NEWCOMERS_MAX in all (the oldest not from the seat's address makes room). One address may
// connect CONNECT_BURST times in a row, then once every CONNECT_REFILL_SECONDS; a connection
// beyond that is closed at once. Nothing of this goes on the wire to the peer.
//
// All of it runs on the frame loop's thread, from the network library's callbacks, the host's
// step and the question window's answer.

class KPort;
class KSocket;

constexpr float STRAY_SECONDS = 2.0f;          // a newcomer gone before this was a stray
constexpr int NEWCOMERS_MAX = 8;               // newcomers waiting at once
constexpr int NEWCOMERS_PER_ADDRESS = 2;       // of them from one address
constexpr float CONNECT_BURST = 6.0f;          // connections one address may make in a row
constexpr float CONNECT_REFILL_SECONDS = 2.0f; // then one more per this many seconds
constexpr float REFUSED_SECONDS = 60.0f;       // an address the host refused is kept out
constexpr int ADDRESSES_REMEMBERED = 32;       // addresses whose connection rate is kept
constexpr float WAIT_NOTE_SECONDS = 3.f;       // the peer's loss is said this long before "Waiting"
constexpr int TAKE_SEAT_QUESTION = 'T';        // AppState::questionCode of the host's question

// The connection that plays, null when nobody does.
KSocket* playingPeer();

// The library's new-connection callback: the connection plays at once, waits as a newcomer, or
// is closed at once (its address connects too often). Returns 0.
int hostPeerArrived(KPort* port, KSocket* connection);

// Whether input came from the playing peer. Input from a newcomer marks it a stranger (it is
// closed after the pass) and must not be handled.
bool hostInputFromPeer(const char* input);

// The library closed a connection: true when it was the playing peer (the game tells the
// player); a newcomer or a replaced peer is forgotten quietly (false).
bool hostPeerClosed();

// Once per frame after the port's pass: strangers are closed; the player come back takes the
// seat; with nobody playing, the host is asked about a newcomer and the waiting message comes
// back.
void hostPeerStep();

// The host player's answer to TAKE_SEAT_QUESTION (the question window's buttons).
void hostSeatAnswered(bool accepted);

// The server is gone: nobody plays or played, no newcomer waits, no question stays up.
void hostPeerReset();
