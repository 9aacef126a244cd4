#pragma once

#include <cstdio>
#include <cstdlib>

// A property a fuzz target checks on every input: a failure aborts, which
// libFuzzer reports with the input that broke it.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "check failed at line %d: %s\n", __LINE__, #condition);           \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
