#include "net/socket_io.h"

#include "net/KivNetwork.h"
#include "net/winsock_compat.h"

int net_read(int sock, char* buffer, int size) {
    ssize_t n = recv(sock, buffer, static_cast<std::size_t>(size), 0);
    if (n > 0) return static_cast<int>(n);
    if (n == 0) {
        NetLog("WARNING: EOF on socket read (connection broken by peer)");
        return -1;
    }
    int error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK || error == WSAEINTR) return 0;
    NetLog("SYSERR: perform_socket_read: about to lose connection");
    return -1;
}

int net_send(int sock, const char* data, std::size_t length) {
    // A peer that has gone must show up as an error here, not as a signal ending the process.
    ssize_t n = send(sock, data, length, MSG_NOSIGNAL);
    if (n > 0) return static_cast<int>(n);
    if (n == 0) return -1;
    int error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK || error == WSAEINTR) {
        NetLog("(SYSERR) WSAerror dans KSocket::Send \n");
        return 0;
    }
    return -1;
}

int net_append_input(int sock, char* input, int* inputLength) {
    int length = *inputLength;
    // A negative count can only come from a faulty callback; reading with it would write
    // before or past the buffer, so it ends the connection like a full buffer does.
    int free = (length < 0) ? 0 : KNET_INPUT_MAX - length;
    if (free <= 0) {
        NetLog("WARNING: process_input: about to close connection: input overflow");
        return -1;
    }
    int r = net_read(sock, input + length, free);
    if (r > 0) *inputLength = length + r;
    return r;
}
