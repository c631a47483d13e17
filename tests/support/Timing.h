#pragma once

#include <chrono>

namespace ovena::test {

// How many times slower the sanitizer build runs; upper bounds on time grow with it.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr int Slowdown = 4;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr int Slowdown = 4;
#else
inline constexpr int Slowdown = 1;
#endif
#else
inline constexpr int Slowdown = 1;
#endif

// An upper bound on time in a test: the bound a sound program meets, times the build's
// slowdown. Lower bounds need no such care: no build makes a wait shorter. Tests that assert
// such bounds on a busy machine belong to a suite whose name ends in "Timing"; CTest runs
// those one at a time, with nothing else running (cmake/Ovena.cmake).
template <class Rep, class Period>
constexpr std::chrono::duration<Rep, Period> upTo(std::chrono::duration<Rep, Period> bound) {
    return bound * Slowdown;
}
constexpr double upTo(double seconds) {
    return seconds * Slowdown;
}

} // namespace ovena::test
