#pragma once
// Tests that wait on real processes and threads (a spawned simulator, a served socket) give
// them more time in a sanitizer build, where everything runs several times slower.

namespace vantrel::test {

#ifdef VANTREL_SANITIZED_BUILD
inline constexpr int kRealTimeFactor = 4;
#else
inline constexpr int kRealTimeFactor = 1;
#endif

// A real-time allowance in milliseconds, scaled for the build.
constexpr int realTimeMs(int milliseconds) { return milliseconds * kRealTimeFactor; }

} // namespace vantrel::test
