#include "net/handle_set.h"

#include <cerrno>
#include <sys/select.h>

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

bool fitsFdSet(int s) {
    return s >= 0 && s < FD_SETSIZE;
}

// Copies the handles into a POSIX set and raises highest to the largest one.
void toFdSet(const KHandleSet* set, fd_set& out, int& highest) {
    FD_ZERO(&out);
    if (!set) return;
    for (unsigned int i = 0; i < set->count; ++i) {
        int s = set->handles[i];
        if (!fitsFdSet(s)) continue;
        FD_SET(s, &out);
        if (s > highest) highest = s;
    }
}

// Keeps only the handles the poll reported ready, in their order.
void keepReady(KHandleSet* set, const fd_set& ready) {
    if (!set) return;
    unsigned int kept = 0;
    for (unsigned int i = 0; i < set->count; ++i) {
        int s = set->handles[i];
        if (fitsFdSet(s) && FD_ISSET(s, &ready)) set->handles[kept++] = s;
    }
    set->count = kept;
}

} // namespace

int net_select(KHandleSet* readSet, KHandleSet* writeSet, KHandleSet* exceptSet,
               const timeval* timeout) {
    fd_set r, w, e;
    int highest = -1;
    toFdSet(readSet, r, highest);
    toFdSet(writeSet, w, highest);
    toFdSet(exceptSet, e, highest);
    // select may change its time-out argument; the caller's stays as it was.
    timeval wait = timeout ? *timeout : timeval{0, 0};
    int result = select(highest + 1, &r, &w, &e, timeout ? &wait : nullptr);
    if (result < 0) return -1;
    keepReady(readSet, r);
    keepReady(writeSet, w);
    keepReady(exceptSet, e);
    return result;
}
