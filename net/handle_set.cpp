// SPDX-License-Identifier: MIT
#include "net/handle_set.h"

#include <cerrno>
#include <poll.h>

void setClear(KHandleSet& set) {
    set.count = 0;
}

void setAdd(KHandleSet& set, int s) {
    if (set.count < KNET_SET_SIZE) set.handles[set.count++] = s;
}

void setRemove(KHandleSet& set, int s) {
    unsigned int kept = 0;
    for (unsigned int i = 0; i < set.count; ++i)
        if (set.handles[i] != s) set.handles[kept++] = set.handles[i];
    set.count = kept;
}

bool setContains(const KHandleSet& set, int s) {
    for (unsigned int i = 0; i < set.count; ++i)
        if (set.handles[i] == s) return true;
    return false;
}

namespace {

// What poll reports for each set: readable also on a hang-up or an error (the read then says
// so, as select reports it), writable on an error too, exceptional on urgent data.
constexpr short READ_EVENTS = POLLIN | POLLHUP | POLLERR | POLLNVAL;
constexpr short WRITE_EVENTS = POLLOUT | POLLHUP | POLLERR | POLLNVAL;
constexpr short EXCEPT_EVENTS = POLLPRI;

// Adds one poll entry per handle of the set (at most KNET_SET_SIZE).
void toPoll(const KHandleSet* set, short events, pollfd* entries, nfds_t& count) {
    for (unsigned int i = 0; set && i < set->count; ++i)
        entries[count++] = {set->handles[i], events, 0};
}

// Keeps the handles whose entries (from `first`, in the set's order) were reported ready.
// Returns how many.
int keepReady(KHandleSet* set, short ready, const pollfd* entries, nfds_t first) {
    if (!set) return 0;
    unsigned int kept = 0;
    for (unsigned int i = 0; i < set->count; ++i)
        if (entries[first + i].revents & ready) set->handles[kept++] = set->handles[i];
    set->count = kept;
    return int(kept);
}

} // namespace

int net_select(KHandleSet* readSet, KHandleSet* writeSet, KHandleSet* exceptSet,
               const timeval* timeout) {
    // poll, unlike select's fd_set, takes a descriptor of any number.
    pollfd entries[3 * KNET_SET_SIZE];
    nfds_t count = 0;
    toPoll(readSet, POLLIN, entries, count);
    const nfds_t writeFirst = count;
    toPoll(writeSet, POLLOUT, entries, count);
    const nfds_t exceptFirst = count;
    toPoll(exceptSet, POLLPRI, entries, count);
    const int waitMs = timeout ? int(timeout->tv_sec * 1000 + timeout->tv_usec / 1000) : -1;
    if (poll(entries, count, waitMs) < 0) return -1;
    return keepReady(readSet, READ_EVENTS, entries, 0) +
           keepReady(writeSet, WRITE_EVENTS, entries, writeFirst) +
           keepReady(exceptSet, EXCEPT_EVENTS, entries, exceptFirst);
}
