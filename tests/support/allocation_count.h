// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Linking tests/support/allocation_count.cpp into a test program replaces its operator new and
// delete with counting ones: a test compares the count before and after the code that must not
// allocate (a frame, a search).

// The number of C++ allocations the program has made so far (all threads).
long allocationCount();
