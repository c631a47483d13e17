#pragma once

#include "support/TestEnvironment.h"

#include <cstdio>
#include <cstdlib>

// Every fuzz run works in a sandbox folder of its own, as the tests do.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ovena::test::sandboxFolder();
    return 0;
}

// Ends the run with a report (and the input saved) when a property of the code under test
// does not hold.
inline void require(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "property does not hold: %s\n", property);
        std::abort();
    }
}
