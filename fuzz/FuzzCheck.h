// The fuzz targets' property check: names the failed property's line before stopping, so that a crash report says
// which property broke.
#pragma once

#include <cstdio>
#include <cstdlib>

inline void CheckAt(bool condition, int line) {
    if (!condition) {
        std::fprintf(stderr, "property of line %d does not hold\n", line);
        std::abort();
    }
}

#define Check(condition) CheckAt((condition), __LINE__)
