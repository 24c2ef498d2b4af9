// SPDX-License-Identifier: MIT
#include "net/KivNetwork.h"
#include "net/winsock_compat.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

// What the caller and the resolver's thread share. The thread fills the answer and then sets
// state; the caller reads the answer only after seeing state set. Whoever lets go last (the
// caller abandoning the look-up, or the thread ending) frees it.
struct KHostLookup::Job {
    std::string host;
    int count = 0;
    char addresses[KNET_LOOKUP_MAX][KNET_ADDRESS_TEXT] = {};
    std::atomic<int> state{0}; // 0 looking, 1 found, -1 not found
    std::atomic<int> owners{1};

    void release() {
        if (owners.fetch_sub(1) == 1) delete this;
    }
};

namespace {

// Numeric text of one answer; false for a family the game cannot connect to.
bool numericText(const sockaddr* address, char* out, size_t size) {
    return getnameinfo(address,
                       address->sa_family == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in),
                       out, static_cast<socklen_t>(size), nullptr, 0, NI_NUMERICHOST) == 0;
}

// Fills job's answer from getaddrinfo, each address once, in the resolver's order of
// preference. flags AI_NUMERICHOST makes it a pure parse, with no resolver.
void resolve(KHostLookup::Job& job, const char* host, int flags) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = flags | AI_ADDRCONFIG;
    // A numeric address is taken even where the machine has no address of its family yet.
    if (flags & AI_NUMERICHOST) hints.ai_flags = flags;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0) found = nullptr;
    for (addrinfo* a = found; a && job.count < KNET_LOOKUP_MAX; a = a->ai_next) {
        if (a->ai_family != AF_INET && a->ai_family != AF_INET6) continue;
        char text[KNET_ADDRESS_TEXT];
        if (!numericText(a->ai_addr, text, sizeof text)) continue;
        bool seen = false;
        for (int i = 0; i < job.count; ++i)
            seen = seen || std::strcmp(job.addresses[i], text) == 0;
        if (!seen) std::snprintf(job.addresses[job.count++], KNET_ADDRESS_TEXT, "%s", text);
    }
    if (found) freeaddrinfo(found);
}

} // namespace

KHostLookup::KHostLookup() : count(0), job(nullptr) {
    std::memset(addresses, 0, sizeof addresses);
}

KHostLookup::~KHostLookup() {
    if (job) job->release();
}

void KHostLookup::Start(const char* host) {
    if (job) job->release();
    job = new Job();
    count = 0;
    std::string text = host ? host : "";
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']')
        text = text.substr(1, text.size() - 2);
    job->host = text;
    // An address, or this machine: no resolver, no thread.
    if (text == "localhost") {
        std::snprintf(job->addresses[job->count++], KNET_ADDRESS_TEXT, "127.0.0.1");
    } else {
        resolve(*job, text.c_str(), AI_NUMERICHOST);
    }
    if (job->count > 0 || text.empty()) {
        job->state = job->count > 0 ? 1 : -1;
        return;
    }
    // A name: the resolver may wait for seconds, so it waits on a thread of its own.
    job->owners = 2;
    try {
        std::thread([j = job] {
            resolve(*j, j->host.c_str(), 0);
            j->state = j->count > 0 ? 1 : -1;
            j->release();
        }).detach();
    } catch (...) {
        // No thread to be had: the name counts as not found rather than stalling the caller.
        job->owners = 1;
        job->state = -1;
    }
}

int KHostLookup::Poll() {
    if (!job) return -1;
    const int state = job->state.load();
    if (state == 1 && count == 0) {
        count = job->count;
        std::memcpy(addresses, job->addresses, sizeof addresses);
    }
    return state;
}
