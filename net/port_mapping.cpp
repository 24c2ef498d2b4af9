// SPDX-License-Identifier: MIT
// KPortMapping: the owner says what it wants (a port forwarded, or nothing); one worker thread
// per mapping object brings the router there, one exchange at a time and in the order asked. A
// removal therefore always reaches the router before the mapping that follows it, however
// quickly the owner starts and stops. The worker renews what it holds at half the lifetime the
// router granted and removes it when the owner lets go.
#include "net/KivNetwork.h"
#include "net/router_answers.h"
#include "net/router_mapping.h"

#include <arpa/inet.h>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

// A router that speaks NAT-PMP answers well within this.
constexpr auto NATPMP_ANSWER = std::chrono::milliseconds(1500);
constexpr auto EXCHANGE_LIMIT = std::chrono::seconds(4); // a renewal or a removal
constexpr auto RENEW_RETRY = std::chrono::seconds(30);   // after a renewal that failed

// NAT-PMP first; UPnP only when NAT-PMP did not answer and the answer is still wanted.
bool routerMap(int port, MappingClock::time_point until, const std::atomic<bool>* cancelled,
               RouterGrant* grant) {
    uint32_t gateway = 0;
    if (natpmpMap(port, std::min(until, MappingClock::now() + NATPMP_ANSWER), grant, &gateway))
        return true;
    return gateway != 0 && !*cancelled && MappingClock::now() < until &&
           upnpMap(gateway, port, until, cancelled, grant);
}

bool natpmpGrant(const RouterGrant& grant) {
    return std::strcmp(grant.method, "NAT-PMP") == 0;
}

bool routerRenew(int port, RouterGrant* grant, MappingClock::time_point until) {
    return natpmpGrant(*grant) ? natpmpRenew(port, grant, until) : upnpRenew(port, grant, until);
}

void routerUnmap(int port, const RouterGrant& grant, MappingClock::time_point until) {
    if (natpmpGrant(grant))
        natpmpUnmap(port, until);
    else
        upnpUnmap(port, grant, until);
}

constexpr MappingBackEnd ROUTER{routerMap, routerRenew, routerUnmap};
std::atomic<const MappingBackEnd*> g_backEnd{&ROUTER};

} // namespace

void setMappingBackEnd(const MappingBackEnd* backEnd) {
    g_backEnd = backEnd ? backEnd : &ROUTER;
}

// Shared by the owner and the worker. The owner's wishes and the worker's state are under mutex;
// the shown fields are the owner's alone. Not part of the library's interface.
struct __attribute__((visibility("hidden"))) KPortMapping::Job {
    std::mutex mutex;
    std::condition_variable changed;
    const MappingBackEnd* backEnd = nullptr;
    std::atomic<int> owners{2};         // the owner and the worker; the last one frees the job
    std::atomic<bool> cancelled{false}; // the owner changed its wish while the worker asks

    // The owner's wish.
    int wantedPort = 0;                // 0: no mapping
    unsigned request = 0;              // counts Start and Stop calls
    MappingClock::time_point deadline; // for the answer to the present request
    bool ownerGone = false;
    bool workerFailed = false; // no thread could be started

    // The worker's state.
    bool busy = false;    // an exchange with the router is under way
    bool holding = false; // the router holds a mapping for heldPort
    int heldPort = 0;
    RouterGrant held;
    unsigned answered = 0; // the request the answer is for
    bool answerMapped = false;
    RouterGrant answer;   // what is shown for it
    unsigned version = 0; // counts answers and their changes

    // What the owner shows, copied from answer under the mutex.
    unsigned shownVersion = 0;
    char publicAddress[KNET_ADDRESS_TEXT] = "";
    char method[8] = "";
    int publicPort = 0;
    bool behindAnotherNat = false;

    void release() {
        if (owners.fetch_sub(1) == 1) delete this;
    }
    // Under mutex: the worker's answer to the present request.
    void publish(bool mapped, const RouterGrant& grant) {
        answered = request;
        answerMapped = mapped;
        answer = grant;
        ++version;
    }
    // Under mutex: the owner wants something else; an exchange under way may stop early.
    void wish(int port, MappingClock::time_point until) {
        wantedPort = port;
        deadline = until;
        ++request;
        cancelled = true;
        changed.notify_all();
    }
    void work();
};

// The worker: each turn does the first thing the present wish calls for, one at a time.
void KPortMapping::Job::work() {
    std::unique_lock<std::mutex> lock(mutex);
    auto renewAt = MappingClock::time_point::max();
    auto lapsesAt = MappingClock::time_point::max();
    const auto exchange = [&](auto&& call) {
        busy = true;
        lock.unlock();
        call();
        lock.lock();
        busy = false;
        changed.notify_all();
    };
    for (;;) {
        // 1. A mapping no longer wanted is removed before anything else is asked.
        if (holding && (ownerGone || wantedPort != heldPort)) {
            const RouterGrant grant = held;
            const int port = heldPort;
            exchange([&] { backEnd->unmap(port, grant, MappingClock::now() + EXCHANGE_LIMIT); });
            holding = false;
            continue;
        }
        if (ownerGone) break;
        // 2. The wanted mapping: already held (answered at once), or asked for.
        if (wantedPort != 0 && answered != request) {
            if (holding) {
                publish(true, held);
                continue;
            }
            const unsigned asked = request;
            const int port = wantedPort;
            const auto until = deadline;
            RouterGrant grant;
            bool mapped = false;
            cancelled = false;
            exchange([&] { mapped = backEnd->map(port, until, &cancelled, &grant); });
            if (mapped) {
                holding = true;
                heldPort = port;
                held = grant;
                renewAt = MappingClock::now() +
                          std::chrono::seconds(renewAfterSeconds(grant.lifetimeSeconds));
                lapsesAt = MappingClock::now() + std::chrono::seconds(grant.lifetimeSeconds);
            }
            if (asked == request) publish(mapped, grant); // else step 1 or 2 sees to the new wish
            continue;
        }
        // 3. Renewed at half the granted lifetime; once it lapsed unrenewed, it is lost.
        if (holding && MappingClock::now() >= renewAt) {
            RouterGrant grant = held;
            bool renewed = false;
            exchange([&] {
                renewed = backEnd->renew(heldPort, &grant, MappingClock::now() + EXCHANGE_LIMIT);
            });
            const auto now = MappingClock::now();
            if (renewed) {
                held = grant;
                renewAt = now + std::chrono::seconds(renewAfterSeconds(grant.lifetimeSeconds));
                lapsesAt = now + std::chrono::seconds(grant.lifetimeSeconds);
            } else if (now >= lapsesAt) {
                holding = false;
            } else {
                renewAt = std::min(now + RENEW_RETRY, now + (lapsesAt - now) / 2);
            }
            if (answered == request && answerMapped && wantedPort == heldPort)
                publish(holding, held);
            continue;
        }
        if (holding)
            changed.wait_until(lock, renewAt);
        else
            changed.wait(lock);
    }
    lock.unlock();
    release();
}

namespace {
void runWorker(KPortMapping::Job* job) {
    job->work();
}
} // namespace

KPortMapping::KPortMapping() : job(nullptr) {}

KPortMapping::~KPortMapping() {
    if (!job) return;
    {
        std::lock_guard<std::mutex> lock(job->mutex);
        job->ownerGone = true;
        job->wish(0, MappingClock::now());
    }
    job->release();
}

void KPortMapping::Start(int port, int limitSeconds) {
    if (!job) {
        job = new Job();
        job->backEnd = g_backEnd;
        try {
            std::thread(runWorker, job).detach();
        } catch (...) {
            job->owners = 1;
            job->workerFailed = true;
        }
    }
    std::lock_guard<std::mutex> lock(job->mutex);
    job->wish(port, MappingClock::now() + std::chrono::seconds(limitSeconds));
}

int KPortMapping::Poll() {
    if (!job) return -1;
    std::lock_guard<std::mutex> lock(job->mutex);
    if (job->wantedPort == 0 || job->workerFailed) return -1;
    if (job->answered != job->request) {
        // Past the limit: counted as failed; a mapping that still comes is taken back.
        if (MappingClock::now() >= job->deadline) job->wish(0, job->deadline);
        return job->wantedPort == 0 ? -1 : 0;
    }
    if (!job->answerMapped) return -1;
    if (job->shownVersion != job->version) {
        job->shownVersion = job->version;
        const RouterGrant& a = job->answer;
        inet_ntop(AF_INET, &a.publicAddress, job->publicAddress, sizeof job->publicAddress);
        std::snprintf(job->method, sizeof job->method, "%s", a.method);
        job->publicPort = a.publicPort;
        job->behindAnotherNat = !isPublicIpv4(a.publicAddress);
    }
    return 1;
}

const char* KPortMapping::PublicAddress() {
    return Poll() == 1 ? job->publicAddress : "";
}

const char* KPortMapping::Method() {
    return Poll() == 1 ? job->method : "";
}

int KPortMapping::PublicPort() {
    return Poll() == 1 ? job->publicPort : 0;
}

bool KPortMapping::BehindAnotherNat() {
    return Poll() == 1 && job->behindAnotherNat;
}

void KPortMapping::Stop(double waitSeconds) {
    if (!job) return;
    std::unique_lock<std::mutex> lock(job->mutex);
    if (job->wantedPort != 0) job->wish(0, MappingClock::now());
    if (waitSeconds > 0 && !job->workerFailed)
        job->changed.wait_for(lock, std::chrono::duration<double>(waitSeconds),
                              [this] { return !job->holding && !job->busy; });
}
