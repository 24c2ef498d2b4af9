// SPDX-License-Identifier: MIT
// Handle sets with the Windows sockets semantics (at most 64 handles, kept in order, select
// leaves only the ready ones) over POSIX poll. Private to the library.
#pragma once

#include "net/KivNetwork.h"

void setClear(KHandleSet& set);
// Adds s unless the set already holds KNET_SET_SIZE handles; no duplicate check.
void setAdd(KHandleSet& set, int s);
void setRemove(KHandleSet& set, int s);
bool setContains(const KHandleSet& set, int s);

// select over up to three sets (each may be null), made with poll: descriptors of any number
// take part (a POSIX fd_set holds only those below FD_SETSIZE). On return each set holds only
// its ready handles. Returns the number of ready handles or -1 (errno set).
int net_select(KHandleSet* readSet, KHandleSet* writeSet, KHandleSet* exceptSet,
               const timeval* timeout);
