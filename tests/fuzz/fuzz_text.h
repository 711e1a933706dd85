#pragma once
// What the fuzz targets share: a check that aborts, so libFuzzer keeps the input.

#include <cstdio>
#include <cstdlib>

inline void Check(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}
