// SPDX-License-Identifier: MIT
// KivNetwork: a small TCP library polled from one thread. A server (KServer) owns a listening
// port (KPort) and its accepted connections (KSocket); a client (KClient) owns one outgoing
// connection. Nothing blocks on I/O and nothing runs on its own: the owner calls
// KServer::Listen / KClient::Listen (typically once per frame) and the library calls back from
// inside those calls only.
//
// Input contract: each connection keeps a fixed 2,048-byte input buffer of which at most 2,047
// bytes are ever filled. The library appends received bytes at input + inputLength and hands
// (input, &inputLength) to the owner's input callback. The callback consumes complete messages
// from the front by moving the remaining bytes down and lowering the count; what it leaves is
// offered again, after any newly received bytes, on the next pass. The library imposes no
// framing. A connection that fills its buffer without the owner consuming is closed.
//
// Output contract: Send hands the bytes to the socket; what the socket does not take at once is
// kept in the connection's output queue (KNET_OUTPUT_SIZE bytes) and sent, in order, on the
// following passes, before anything sent later. A queue that would overflow closes that
// connection (logged). Nothing on the caller's thread asks the resolver: names are looked up by
// KHostLookup, beside the caller's loop, KClient connects to numeric addresses only, and
// accepted peers are known by their numeric address.
//
// Addresses: a server listens on IPv4 and IPv6 at once where the system has IPv6; a client
// connects to either. Every connection, accepted or made, watches its peer: one gone without a
// word (cable pulled, machine asleep) fails the connection within about KNET_DEAD_PEER_SECONDS
// (up to ten seconds more when this machine's own link is the one down), as a closed one does.
//
// Log: every library message goes through NetLog, which rewrites "NetLog.txt" in the current
// folder with that one message (the file is kept open, and never reached through a symbolic
// link) and prints it on standard output.
#pragma once

#include <string>
#include <sys/time.h>

struct in_addr;

#define KIVNET_API __attribute__((visibility("default")))

constexpr int KNET_INPUT_SIZE = 2048;      // bytes of every input buffer
constexpr int KNET_INPUT_MAX = 2047;       // bytes that may be filled; the last one never is
constexpr int KNET_SET_SIZE = 64;          // handles a set can hold in one pass
constexpr int KNET_NO_SOCKET = -1;         // value of a handle field that holds no socket
constexpr int KNET_OUTPUT_SIZE = 131072;   // bytes a connection's output queue holds
constexpr int KNET_KEEPALIVE_IDLE = 10;    // seconds of silence before the first probe
constexpr int KNET_KEEPALIVE_INTERVAL = 5; // seconds between probes
constexpr int KNET_DEAD_PEER_SECONDS = 20; // seconds unanswered after which a peer is gone
constexpr int KNET_ADDRESS_TEXT = 64;      // room for a numeric address (IPv6 with its scope)
constexpr int KNET_LOOKUP_MAX = 8;         // addresses a name look-up keeps

class KPort;
class KSocket;

using KNewClientFunc = int (*)(KPort* port, KSocket* connection);
using KInputFunc = void (*)(char* input, int* inputLength);
using KCloseFunc = void (*)(const char* name, int* value);

// printf-style; the format carries its own line end. The game may log through it too.
KIVNET_API void NetLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A set of socket handles for one select pass, holding at most KNET_SET_SIZE of them in the
// order they were added (no duplicate check), as the Windows sockets layer keeps them.
struct KHandleSet {
    unsigned int count;         // handles in use at the start of handles
    int handles[KNET_SET_SIZE]; // socket descriptors
};

// Exported for compatibility; the library never uses it (the output queues are fixed buffers
// inside each connection).
struct KIVNET_API KBufferList {
    char* data;        // unused by the library
    int length;        // unused by the library
    KBufferList* next; // unused by the library
    KBufferList& operator=(const KBufferList& other);
};

// One accepted connection. Created and deleted by its KPort only; the port owns it.
class KIVNET_API KSocket {
public:
    int sock;                      // the connection's descriptor, or KNET_NO_SOCKET
    char host[41];                 // peer's dotted address, at most 40 chars
    std::string name;              // always "player"
    char input[KNET_INPUT_SIZE];   // received bytes not yet consumed, from the start
    int inputLength;               // valid bytes at the start of input: 0..2047
    short status;                  // 1 accepted, -3 accept failed
    KSocket* next;                 // next connection in the owning port's list
    char output[KNET_OUTPUT_SIZE]; // bytes Send accepted that the socket has not taken yet
    int outputLength;              // queued bytes at the start of output
    bool outputOverflow;           // the queue overflowed: the port closes the connection

    // Accepts one pending connection on listenSocket. The host text is always the peer's
    // dotted address: a reverse look-up could stall the caller for the resolver's time-out, so
    // none is made whatever numericHost says. On failure status is -3 and the object holds no
    // descriptor.
    KSocket(int listenSocket, int numericHost);
    // A copy owns a duplicate of the descriptor (closing one leaves the other working) and
    // belongs to no list; assignment keeps the target's own place in its list.
    KSocket(const KSocket& other);
    KSocket& operator=(const KSocket& other);
    ~KSocket();

    // Sends length bytes after any still queued. Returns the bytes the socket took now (the
    // rest is queued and follows on the next passes; 0 when all of it was queued), -1 when
    // the connection is to be closed: a failing socket, length 0, or a full queue (logged).
    int Send(char* data, unsigned long length);
    // Sends what the queue holds, as far as the socket takes it now: the bytes sent, 0 when
    // none could be, -1 when the connection is to be closed. The port calls it every pass.
    int FlushOutput();
    // Appends what has arrived to input. Returns the bytes added, 0 when nothing is there now,
    // -1 when the connection is to be closed (peer closed, error, or input full).
    int ReceveData();

protected:
    // One recv into buffer: bytes read, 0 for "nothing now", -1 for a closed or broken socket.
    int ReadSocket(unsigned int socket, char* buffer, int size);
};

// A listening TCP port and the connections accepted on it.
class KIVNET_API KPort {
public:
    int listenSock;               // listening descriptor, KNET_NO_SOCKET if bind failed
    unsigned short second;        // stored for InitSocketServer, which ignores it
    timeval timeout;              // always zero: select only polls
    KHandleSet readSet;           // rebuilt at every pass
    KHandleSet writeSet;          // rebuilt at every pass
    KHandleSet exceptSet;         // rebuilt at every pass
    KNewClientFunc funcNewClient; // after an accept; may be null
    KInputFunc externAction;      // for every connection with unconsumed input
    KCloseFunc funcCloseClient;   // when the port closes a connection
    KSocket* sockets;             // connection list, newest first; owned
    bool idleLogged;              // "No connection. Waiting..." was logged since the list emptied

    // Binds and listens at once on all interfaces. On failure logs "--> Error : bind !" and
    // leaves listenSock at KNET_NO_SOCKET; such a port accepts nothing and is safe to destroy.
    KPort(unsigned int port, int second);
    // Closes the listening socket and every connection without calling any callback.
    ~KPort();
    KPort(const KPort&) = delete; // a shallow copy would give the connections two owners
    // Makes this port an independent copy: its own duplicates of the listening descriptor and
    // of every connection, same callbacks. What this port held before is closed silently.
    KPort& operator=(const KPort& other);

    // One non-blocking pass: accept at most one connection, drop broken ones, send what the
    // output queues hold, read, and hand every connection's unconsumed input to externAction.
    // Callbacks run inside; they may send on any connection, and funcNewClient may close any
    // connection (the new one included), but no callback may destroy the port. Idle passes
    // log the waiting state once, when it begins, not every pass.
    void round();
    // Unlinks a connection of this port, tells funcCloseClient its name, deletes it.
    void close_socket(KSocket* connection);

    void setFuncNewClient(KNewClientFunc func);
    void setExternAction(KInputFunc func);
    void setFuncCloseClient(KCloseFunc func);

private:
    friend class KServer;
    KPort(); // an empty port that listens on nothing, for copies
    in_addr* GetBindAddress();
    int InitSocketServer(unsigned short port, unsigned short* second);
    int ParseIp(const char* text, in_addr* address);
};

// The server front end: owns one KPort.
class KIVNET_API KServer {
public:
    KPort* port; // null until a successful Init; owned

    KServer();
    ~KServer();
    KServer(const KServer&) = delete; // a shallow copy would give the port two owners
    // Makes this server an independent copy of other (its own duplicate of the port).
    KServer& operator=(const KServer& other);

    // Creates the listening port and stores the callbacks (input and close must be non-null).
    // Returns false, logging "--> Error : bind !", when the port cannot be bound: the server
    // then has no port, Listen does nothing and destroying it is safe.
    [[nodiscard]] bool Init(int portNumber, int second, KNewClientFunc newClient, KInputFunc input,
                            KCloseFunc closed);
    // One pass of the port; nothing without a port.
    void Listen();
};

// The client front end: one outgoing TCP connection with its own input buffer.
class KIVNET_API KClient {
public:
    int sock;                      // client descriptor, KNET_NO_SOCKET when closed
    char input[KNET_INPUT_SIZE];   // received bytes not yet consumed
    int inputLength;               // valid bytes at the start of input: 0..2047
    KInputFunc onData;             // input callback
    KCloseFunc onClose;            // failure callback, called with (null, null)
    char output[KNET_OUTPUT_SIZE]; // bytes Send accepted that the socket has not taken yet
    int outputLength;              // queued bytes at the start of output
    signed char linkState;         // 0 connecting, 1 established, -1 failed

    KClient();
    ~KClient();
    KClient(const KClient&) = delete; // a shallow copy would give the socket two owners
    // The copy owns a duplicate of the descriptor; buffer and callbacks are copied.
    KClient& operator=(const KClient& other);

    // Starts a non-blocking connection to host:port, closing any connection this client held.
    // status: 0 started, 1 no socket, 2 host not found (no address), 3 refused at once.
    // True only means the attempt started; a later refusal shows up in Listen. Takes an IPv4 or
    // IPv6 address (also in brackets, "[2001:db8::5]") or "localhost", and never asks the
    // resolver, which may wait for seconds: a name is not found here (look it up first with
    // KHostLookup, which does not wait, and connect to one of its addresses).
    bool InitConnexion(char* host, int port, KInputFunc onData, KCloseFunc onClose, int* status);
    // Sends what the output queue holds, reads what arrived and calls onData(input,
    // &inputLength), even when nothing arrived. A connection not established yet counts as
    // failed, as do a closed, refused or broken one (or a full buffer, or an output queue that
    // overflowed): then onClose(null, null) is called if report is true, else nothing; the
    // socket stays open until CloseConnexion. The callbacks may delete this client: nothing is
    // touched after they return.
    void Listen(bool report);
    // As KSocket::Send; a negative length sends nothing and returns -1. An overflowing queue
    // closes the socket: the next Listen reports the failure.
    int Send(char* data, int length);
    // Closes the socket; closing again does nothing.
    void CloseConnexion();
};

// Looks a host name up beside the caller's loop: the resolver, which may wait for seconds on a
// slow or missing name server, runs on a thread of its own, and the caller polls for the answer.
// Numeric addresses and "localhost" are answered at once, without the resolver or a thread.
class KIVNET_API KHostLookup {
public:
    int count;                                          // addresses found, best first
    char addresses[KNET_LOOKUP_MAX][KNET_ADDRESS_TEXT]; // each numeric ("192.0.2.7", "::1")

    KHostLookup();
    // A look-up still running is abandoned: its thread ends on its own and its answer is lost.
    ~KHostLookup();
    KHostLookup(const KHostLookup&) = delete;
    KHostLookup& operator=(const KHostLookup&) = delete;

    // Starts looking host up (IPv4 and IPv6 answers), abandoning any look-up under way. A host
    // in brackets ("[2001:db8::5]") is the address inside them.
    void Start(const char* host);
    // 0 while the answer is awaited, 1 found (count >= 1), -1 not found (or never started).
    // Never waits.
    int Poll();

    struct Job; // the state shared with the resolver's thread (private to the library)

private:
    Job* job; // the last of the owner and the thread to let go frees it
};

// The addresses this machine can be reached at, from its network interfaces: IPv4 addresses
// other than loopback and link-local ones, then global IPv6 addresses (no loopback, link-local or
// unique-local ones, which nobody outside can reach), in interface order, each once. Writes at most
// max into out; returns how many.
KIVNET_API int KLocalAddresses(char (*out)[KNET_ADDRESS_TEXT], int max);

// Asks the router to forward a TCP port of this machine to it, as players of networked games
// expect of their router: NAT-PMP first (a router that speaks it answers within a second), then
// UPnP IGD (discovery waits at most two seconds; only a router at the default gateway's own
// address is asked). One thread of its own talks to the router, one exchange at a time in the
// order asked, so the caller's loop never waits and a removal never lands after the mapping
// that follows it; the mapping is renewed at half the lifetime the router grants, and removed by
// Stop. Nothing the router wrote is passed on as text: addresses are read as numbers.
class KIVNET_API KPortMapping {
public:
    KPortMapping();
    // Stops as Stop(0) does.
    ~KPortMapping();
    KPortMapping(const KPortMapping&) = delete;
    KPortMapping& operator=(const KPortMapping&) = delete;

    // Starts asking for port to be forwarded (the router may choose another port outside: see
    // PublicPort), giving up after limitSeconds. A mapping of another port is removed first; one
    // of the same port, still held, is kept.
    void Start(int port, int limitSeconds);
    // 0 while asking, 1 mapped (PublicAddress, PublicPort and Method say how), -1 failed,
    // stopped, or lost (a renewal the router no longer answered). Never waits.
    int Poll();
    // The router's public address once mapped ("203.0.113.7"), else "".
    const char* PublicAddress();
    // The port outside once mapped, as the router chose it, else 0.
    int PublicPort();
    // Once mapped: the router's public address is not one the internet reaches (private,
    // carrier-grade shared, loopback, link-local...): the router itself is behind another NAT,
    // so the mapping does not open the port to the internet.
    bool BehindAnotherNat();
    // "NAT-PMP" or "UPnP" once mapped, else "".
    const char* Method();
    // Ends the mapping: the router is asked to remove it, on the mapping's thread. Waits at
    // most waitSeconds for that to be done (0: does not wait; at the program's end a short
    // wait lets the removal reach the router).
    void Stop(double waitSeconds);

    struct Job; // the state shared with the mapping's thread (private to the library)

private:
    Job* job; // the last of the owner and the thread to let go frees it
};
