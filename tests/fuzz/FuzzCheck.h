#pragma once

// What a fuzz target asserts beyond "no crash": a broken invariant ends the
// run the way a sanitizer finding does, so libFuzzer keeps the input.

#include <cstdio>
#include <cstdlib>

#define NXA_FUZZ_CHECK(condition)                                                                  \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
