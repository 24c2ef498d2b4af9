// Handle sets with the Windows sockets semantics (at most 64 handles, kept in order, select
// leaves only the ready ones) over POSIX select. Private to the library.
#pragma once

#include "net/KivNetwork.h"

void setClear(KHandleSet& set);
// Adds s unless the set already holds KNET_SET_SIZE handles; no duplicate check.
void setAdd(KHandleSet& set, int s);
void setRemove(KHandleSet& set, int s);
bool setContains(const KHandleSet& set, int s);

// select over up to three sets (each may be null). The count argument of the Windows call is
// not needed: POSIX wants the highest descriptor + 1, which is computed here. On return each
// set holds only its ready handles. Returns the number of ready handles or -1 (errno set).
// A descriptor too large for a POSIX fd_set is left out of the poll rather than written past it.
int net_select(KHandleSet* readSet, KHandleSet* writeSet, KHandleSet* exceptSet,
               const timeval* timeout);
