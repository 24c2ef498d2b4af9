// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/allocation_count.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> g_allocations{0};

void* counted(std::size_t n) noexcept {
    ++g_allocations;
    return std::malloc(n ? n : 1);
}
} // namespace

long allocationCount() {
    return g_allocations.load();
}

// Every plain (not over-aligned) form is replaced together, so each allocation and its release
// stay matched for the libraries (the GL driver) that use the nothrow or array forms.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t n) {
    if (void* p = counted(n)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
    if (void* p = counted(n)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    return counted(n);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    return counted(n);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
#pragma GCC diagnostic pop
