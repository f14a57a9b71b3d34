// The checks of the fuzz targets: a failed one ends the run as a crash does.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace zfuzz {

inline void Require(bool ok, const char* what) {
    if (!ok) {
        fprintf(stderr, "fuzz check failed: %s\n", what);
        abort();
    }
}

}  // namespace zfuzz
