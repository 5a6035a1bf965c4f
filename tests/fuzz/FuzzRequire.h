// A fuzzer's own check of what the code under test promises: a broken
// promise stops the run like a sanitizer report, so libFuzzer keeps the input.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace tinctara::fuzz {

inline void require(bool condition, const char* fuzzer, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "%s fuzzer: %s\n", fuzzer, what);
        std::abort();
    }
}

}  // namespace tinctara::fuzz
