// FuzzCheck.h: a fuzz target's invariant check that names the line and the condition that broke,
// so that a finding says what went wrong, then aborts for libFuzzer to keep the input.
#pragma once

#include <cstdio>
#include <cstdlib>

#define check(ok)                                                                   \
    if (!(ok)) {                                                                    \
        std::fprintf(stderr, "check failed at line %d: %s\n", __LINE__, #ok);       \
        std::abort();                                                               \
    }
