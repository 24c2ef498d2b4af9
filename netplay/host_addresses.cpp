// SPDX-License-Identifier: GPL-3.0-or-later
#include "netplay/host_addresses.h"

#include <cstdio>
#include <cstring>

#include "app/app_state.h"
#include "engine/KivEngine.h"
#include "game/settings.h"
#include "net/KivNetwork.h"
#include "netplay/net_session.h"
#include "ui/net_lines.h"
#include "ui/text_overlay.h"

namespace {

constexpr int ADDRESSES_SHOWN = 3;       // local addresses listed at most
constexpr int MAPPING_LIMIT_SECONDS = 6; // NAT-PMP, then UPnP's 2-second discovery and calls

// BehindNat: the router forwards the port, but its own public side is private or carrier-grade
// shared: another NAT (the provider's) stands between it and the internet.
enum class Mapping { Off, Asking, Mapped, BehindNat, Failed };

struct HostAddresses {
    int port = DEFAULT_NET_PORT;
    bool wanted = false; // ask the router whenever hosting begins
    bool shown = false;
    char addresses[ADDRESSES_SHOWN][KNET_ADDRESS_TEXT] = {};
    int count = 0;
    KPortMapping mapping;
    Mapping state = Mapping::Off;
    char outside[NET_LINE_LENGTH] = ""; // where friends join from outside, as last shown
    char lines[NET_LINES_MAX][NET_LINE_LENGTH] = {};
} g_where;

constexpr int MAPPING_LINES_MAX = 3; // lines the router's state takes at most

// The lines for the present state, on screen when shown.
void refreshLines() {
    HostAddresses& w = g_where;
    int n = 0;
    char address[NET_LINE_LENGTH];
    for (int i = 0; i < w.count && n < NET_LINES_MAX - MAPPING_LINES_MAX; ++i) {
        formatJoinAddress(address, sizeof address, w.addresses[i], w.port);
        std::snprintf(w.lines[n++], NET_LINE_LENGTH, "%s %.52s", i == 0 ? "Join at" : "     or",
                      address);
    }
    if (w.count == 0) std::snprintf(w.lines[n++], NET_LINE_LENGTH, "No network address found");
    switch (w.state) {
    case Mapping::Off:
        std::snprintf(w.lines[n++], NET_LINE_LENGTH, "U : ask the router to open port %d", w.port);
        break;
    case Mapping::Asking:
        std::snprintf(w.lines[n++], NET_LINE_LENGTH, "Asking the router to open port %d..", w.port);
        break;
    case Mapping::Mapped:
        std::snprintf(w.lines[n++], NET_LINE_LENGTH, "From outside : %.36s (%s)", w.outside,
                      w.mapping.Method());
        break;
    case Mapping::BehindNat:
        std::snprintf(w.lines[n++], NET_LINE_LENGTH,
                      "Router behind another NAT (the provider's) :");
        std::snprintf(w.lines[n++], NET_LINE_LENGTH, "port %d cannot be opened from here", w.port);
        std::snprintf(w.lines[n++], NET_LINE_LENGTH,
                      "Join over IPv6, or have the provider forward it");
        break;
    case Mapping::Failed:
        std::snprintf(w.lines[n++], NET_LINE_LENGTH, "Forward TCP port %d here by hand", w.port);
        break;
    }
    if (!w.shown) return;
    const char* shown[NET_LINES_MAX];
    for (int i = 0; i < n; ++i)
        shown[i] = w.lines[i];
    showNetLines(shown, n);
}

void startMapping() {
    g_where.outside[0] = '\0';
    g_where.mapping.Start(g_where.port, MAPPING_LIMIT_SECONDS);
    g_where.state = Mapping::Asking;
    Log("SYSTEM : asking the router to forward TCP port %d\n", g_where.port);
    refreshLines();
}

} // namespace

int formatJoinAddress(char* out, int size, const char* address, int port) {
    const bool v6 = std::strchr(address, ':') != nullptr;
    if (port == DEFAULT_NET_PORT) return std::snprintf(out, size_t(size), "%s", address);
    return std::snprintf(out, size_t(size), v6 ? "[%s]:%d" : "%s:%d", address, port);
}

void hostAddressesBegin(int port) {
    HostAddresses& w = g_where;
    w.port = port;
    w.count = KLocalAddresses(w.addresses, ADDRESSES_SHOWN);
    char address[NET_LINE_LENGTH];
    std::printf("chess3d: hosting on TCP port %d; a friend can join at:\n", port);
    for (int i = 0; i < w.count; ++i) {
        formatJoinAddress(address, sizeof address, w.addresses[i], port);
        std::printf("  %s\n", address);
        Log("SYSTEM : a friend can join at %s\n", address);
    }
    if (w.count == 0) std::printf("  (no network address found: only this machine)\n");
    std::fflush(stdout);
    if (w.wanted && w.state == Mapping::Off) startMapping();
    refreshLines();
}

void hostAddressesShown(bool shown) {
    g_where.shown = shown;
    if (shown)
        refreshLines();
    else
        hideNetLines();
}

// The router's answer came: what it means for friends outside, on the terminal and in the log.
void tellMapped() {
    HostAddresses& w = g_where;
    const char* method = w.mapping.Method();
    if (w.state == Mapping::BehindNat) {
        std::printf("chess3d: the router forwarded TCP port %d (%s), but it is itself behind "
                    "another NAT (the provider's; its public side is %s): the port cannot be "
                    "opened from here. Friends can join over IPv6, or the provider can forward "
                    "the port\n",
                    w.port, method, w.mapping.PublicAddress());
        Log("SYSTEM : port %d forwarded by the router (%s), itself behind another NAT (public "
            "side %s)\n",
            w.port, method, w.mapping.PublicAddress());
        return;
    }
    std::printf("chess3d: the router forwards TCP port %d here (%s): from outside, join at %s\n",
                w.port, method, w.outside);
    Log("SYSTEM : port %d forwarded by the router (%s), public address %s\n", w.port, method,
        w.outside);
}

void hostAddressesStep() {
    HostAddresses& w = g_where;
    if (w.state != Mapping::Asking && w.state != Mapping::Mapped && w.state != Mapping::BehindNat)
        return;
    const int r = w.mapping.Poll();
    KWakeWithin(0); // the router is asked beside the game: its answer is looked for every frame
    if (r == 0) return;
    if (r > 0) {
        // The first answer, or a renewal that moved the address or the port outside.
        char outside[NET_LINE_LENGTH];
        formatJoinAddress(outside, sizeof outside, w.mapping.PublicAddress(),
                          w.mapping.PublicPort());
        const Mapping state = w.mapping.BehindAnotherNat() ? Mapping::BehindNat : Mapping::Mapped;
        if (state == w.state && std::strcmp(outside, w.outside) == 0) return;
        w.state = state;
        std::snprintf(w.outside, sizeof w.outside, "%s", outside);
        tellMapped();
    } else {
        const bool lost = w.state != Mapping::Asking;
        w.state = Mapping::Failed;
        std::printf("chess3d: the router %s: forward TCP port %d to this machine by hand\n",
                    lost ? "no longer renews the mapping" : "did not open the port", w.port);
        Log("SYSTEM : %s; forward TCP port %d by hand\n",
            lost ? "the router stopped renewing the mapping" : "no router answered", w.port);
    }
    std::fflush(stdout);
    refreshLines();
}

void hostAddressesEnd(double waitSeconds) {
    HostAddresses& w = g_where;
    if (w.state == Mapping::Mapped || w.state == Mapping::BehindNat || w.state == Mapping::Asking) {
        Log("SYSTEM : asking the router to stop forwarding TCP port %d\n", w.port);
        w.mapping.Stop(waitSeconds);
    }
    w.state = Mapping::Off;
    w.shown = false;
    hideNetLines();
}

bool portMappingKey() {
    if (!g_app || !netSession().server) return false;
    if (g_where.state == Mapping::Off || g_where.state == Mapping::Failed) {
        startMapping();
    } else {
        g_where.mapping.Stop(0);
        g_where.state = Mapping::Off;
        Log("SYSTEM : port mapping turned off\n");
        refreshLines();
    }
    return true;
}

void setPortMappingWanted(bool wanted) {
    g_where.wanted = wanted;
}
