#include "net/KivNetwork.h"
#include "net/winsock_compat.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <miniupnpc/upnperrors.h>
#include <mutex>
#include <natpmp.h>
#include <sys/select.h>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int LEASE_SECONDS = 3600;             // asked of the router; renewed at half of it
constexpr int NATPMP_ANSWER_MS = 1500;          // a NAT-PMP router answers well within this
constexpr int UPNP_DISCOVERY_MS = 2000;         // how long UPnP discovery listens for routers
constexpr int UPNP_ONLY_PERMANENT_LEASES = 725; // the IGD takes lease 0 (permanent) only

} // namespace

// Shared by the owner and the mapping's thread, under mutex except the atomics.
struct KPortMapping::Job {
    std::mutex mutex;
    std::condition_variable changed;
    int port = 0;
    Clock::time_point deadline;
    std::atomic<int> state{0}; // 0 asking, 1 mapped, -1 failed or stopped
    bool stopAsked = false;    // the owner wants the mapping gone
    bool finished = false;     // the thread has done all it will do
    char publicAddress[KNET_ADDRESS_TEXT] = "";
    char method[16] = "";
    std::atomic<int> owners{2};

    void release() {
        if (owners.fetch_sub(1) == 1) delete this;
    }
    bool stopping() {
        std::lock_guard<std::mutex> lock(mutex);
        return stopAsked;
    }
};

namespace {

// Waits for the answer to the request just sent, until `until`. True with the response.
bool natpmpAnswer(natpmp_t& n, natpmpresp_t& response, Clock::time_point until) {
    for (;;) {
        timeval wait{};
        getnatpmprequesttimeout(&n, &wait);
        const auto left =
            std::chrono::duration_cast<std::chrono::microseconds>(until - Clock::now());
        if (left.count() <= 0) return false;
        if (wait.tv_sec * 1000000L + wait.tv_usec > left.count()) {
            wait.tv_sec = left.count() / 1000000;
            wait.tv_usec = left.count() % 1000000;
        }
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(n.s, &readable);
        select(n.s + 1, &readable, nullptr, nullptr, &wait);
        const int r = readnatpmpresponseorretry(&n, &response);
        if (r >= 0) return true;
        if (r != NATPMP_TRYAGAIN) return false; // refused, no gateway, an error answer
    }
}

// One NAT-PMP exchange with the default gateway: the public address (when publicAddress is not
// null) and a TCP mapping of port for lifetime seconds (0 removes it).
bool natpmpMap(int port, int lifetime, char* publicAddress, Clock::time_point until) {
    natpmp_t n;
    if (initnatpmp(&n, 0, 0) < 0) return false;
    natpmpresp_t response{};
    bool ok = true;
    if (publicAddress) {
        ok = sendpublicaddressrequest(&n) >= 0 && natpmpAnswer(n, response, until);
        if (ok)
            inet_ntop(AF_INET, &response.pnu.publicaddress.addr, publicAddress, KNET_ADDRESS_TEXT);
    }
    ok = ok &&
         sendnewportmappingrequest(&n, NATPMP_PROTOCOL_TCP, static_cast<uint16_t>(port),
                                   static_cast<uint16_t>(port),
                                   static_cast<uint32_t>(lifetime)) >= 0 &&
         natpmpAnswer(n, response, until);
    closenatpmp(&n);
    return ok;
}

// The UPnP router found by discovery, kept for renewal and removal.
struct Igd {
    UPNPUrls urls{};
    IGDdatas data{};
    char lanAddress[KNET_ADDRESS_TEXT] = "";
    bool found = false;
    ~Igd() {
        if (found) FreeUPNPUrls(&urls);
    }
};

bool upnpFind(Igd& igd) {
    int error = 0;
    UPNPDev* devices = upnpDiscover(UPNP_DISCOVERY_MS, nullptr, nullptr, 0, 0, 2, &error);
    if (!devices) return false;
    const int kind =
        UPNP_GetValidIGD(devices, &igd.urls, &igd.data, igd.lanAddress, sizeof igd.lanAddress);
    freeUPNPDevlist(devices);
    if (kind != 0) igd.found = true; // urls are set in every non-zero case
    return kind == 1 || kind == 2;   // an IGD, connected or not
}

bool upnpMap(Igd& igd, int port) {
    char number[8];
    std::snprintf(number, sizeof number, "%d", port);
    char lease[16];
    std::snprintf(lease, sizeof lease, "%d", LEASE_SECONDS);
    const char* service = igd.data.first.servicetype;
    int r = UPNP_AddPortMapping(igd.urls.controlURL, service, number, number, igd.lanAddress,
                                "chess3d", "TCP", nullptr, lease);
    if (r == UPNP_ONLY_PERMANENT_LEASES)
        r = UPNP_AddPortMapping(igd.urls.controlURL, service, number, number, igd.lanAddress,
                                "chess3d", "TCP", nullptr, "0");
    return r == UPNPCOMMAND_SUCCESS;
}

void upnpUnmap(Igd& igd, int port) {
    char number[8];
    std::snprintf(number, sizeof number, "%d", port);
    UPNP_DeletePortMapping(igd.urls.controlURL, igd.data.first.servicetype, number, "TCP", nullptr);
}

// The mapping's thread: ask (NAT-PMP, then UPnP), then hold the mapping, renewing it, until the
// owner stops it; then remove it.
void runMapping(KPortMapping::Job* job) {
    Igd igd;
    bool natpmp = false;
    bool mapped = false;
    char address[KNET_ADDRESS_TEXT] = "";
    const auto natpmpUntil =
        std::min(job->deadline, Clock::now() + std::chrono::milliseconds(NATPMP_ANSWER_MS));
    if (natpmpMap(job->port, LEASE_SECONDS, address, natpmpUntil)) {
        natpmp = mapped = true;
    } else if (!job->stopping() && Clock::now() < job->deadline && upnpFind(igd) &&
               upnpMap(igd, job->port)) {
        mapped = true;
        if (UPNP_GetExternalIPAddress(igd.urls.controlURL, igd.data.first.servicetype, address) !=
            UPNPCOMMAND_SUCCESS)
            address[0] = '\0';
    }
    {
        std::unique_lock<std::mutex> lock(job->mutex);
        if (mapped && !job->stopAsked) {
            std::snprintf(job->publicAddress, sizeof job->publicAddress, "%s", address);
            std::snprintf(job->method, sizeof job->method, "%s", natpmp ? "NAT-PMP" : "UPnP");
            job->state = 1;
        } else {
            job->state = -1;
        }
        // Held until stopped, renewed at half the lease (a router forgets it after the lease).
        while (mapped && !job->stopAsked) {
            if (job->changed.wait_for(lock, std::chrono::seconds(LEASE_SECONDS / 2)) ==
                    std::cv_status::timeout &&
                !job->stopAsked) {
                lock.unlock();
                const auto until = Clock::now() + std::chrono::milliseconds(NATPMP_ANSWER_MS);
                if (natpmp)
                    natpmpMap(job->port, LEASE_SECONDS, nullptr, until);
                else
                    upnpMap(igd, job->port);
                lock.lock();
            }
        }
    }
    // Removed, also when it was made after the owner gave up waiting for it.
    if (mapped) {
        const auto until = Clock::now() + std::chrono::milliseconds(NATPMP_ANSWER_MS);
        if (natpmp)
            natpmpMap(job->port, 0, nullptr, until);
        else
            upnpUnmap(igd, job->port);
    }
    {
        std::lock_guard<std::mutex> lock(job->mutex);
        job->finished = true;
        job->state = -1;
    }
    job->changed.notify_all();
    job->release();
}

} // namespace

KPortMapping::KPortMapping() : job(nullptr) {}

KPortMapping::~KPortMapping() {
    Stop(0);
}

void KPortMapping::Start(int port, int limitSeconds) {
    Stop(0);
    job = new Job();
    job->port = port;
    job->deadline = Clock::now() + std::chrono::seconds(limitSeconds);
    try {
        std::thread(runMapping, job).detach();
    } catch (...) {
        job->owners = 1;
        job->state = -1;
        job->finished = true;
    }
}

int KPortMapping::Poll() {
    if (!job) return -1;
    const int state = job->state.load();
    if (state == 0 && Clock::now() >= job->deadline) {
        // Past the limit: counted as failed; an answer that still comes is taken back.
        std::lock_guard<std::mutex> lock(job->mutex);
        job->stopAsked = true;
        return -1;
    }
    if (state == 0) return 0;
    return job->stopping() ? -1 : state;
}

const char* KPortMapping::PublicAddress() {
    return job && Poll() == 1 ? job->publicAddress : "";
}

const char* KPortMapping::Method() {
    return job && Poll() == 1 ? job->method : "";
}

void KPortMapping::Stop(double waitSeconds) {
    if (!job) return;
    {
        std::unique_lock<std::mutex> lock(job->mutex);
        job->stopAsked = true;
        job->changed.notify_all();
        if (waitSeconds > 0)
            job->changed.wait_for(lock, std::chrono::duration<double>(waitSeconds),
                                  [this] { return job->finished; });
    }
    job->release();
    job = nullptr;
}
