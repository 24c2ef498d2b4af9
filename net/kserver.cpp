// SPDX-License-Identifier: MIT
#include "net/KivNetwork.h"

KServer::KServer() : port(nullptr) {}

KServer::~KServer() {
    delete port;
}

KServer& KServer::operator=(const KServer& other) {
    if (this == &other) return *this;
    // Sharing the pointer would leave two owners deleting one port.
    if (!other.port) {
        delete port;
        port = nullptr;
    } else {
        if (!port) port = new KPort();
        *port = *other.port;
    }
    return *this;
}

bool KServer::Init(int portNumber, int second, KNewClientFunc newClient, KInputFunc input,
                   KCloseFunc closed) {
    // A server that is already listening keeps one port, not two.
    delete port;
    port = new KPort(static_cast<unsigned int>(portNumber), second);
    if (port->listenSock < 0) {
        delete port;
        port = nullptr;
        return false;
    }
    port->setFuncNewClient(newClient);
    port->setExternAction(input);
    port->setFuncCloseClient(closed);
    return true;
}

void KServer::Listen() {
    if (port) port->round();
}
