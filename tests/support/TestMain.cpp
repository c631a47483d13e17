#include "TestEnvironment.h"

#include <gmock/gmock.h>

int main(int argc, char** argv) {
    // The sandbox comes first, before any test code reads the environment.
    ovena::test::sandboxFolder();
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
