// fuzz/fuzz_check.h -- FUZZ_CHECK: stops a fuzz target when an oracle does not hold, so that
// libFuzzer keeps the input as a crash. Not compiled out by NDEBUG, unlike assert.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)
