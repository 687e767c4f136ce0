// Counting allocations: the one file of a test program that includes this replaces operator
// new and delete for the whole program with versions that count the calls, and gets a
// platform that sends every sound as the game does but keeps no log of it.
#pragma once
#include <cstdlib>
#include <new>

#include "platform/headless_platform.h"

// Calls of operator new so far.
inline long allocations = 0;

// GCC sees the malloc inside this operator new and the free inside its delete and takes
// them for a mismatch.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

struct SilentPlatform : HeadlessPlatform {
    void noteMediaCommand(const char*) override {}
    void playEffect(const char*) override {}
};
