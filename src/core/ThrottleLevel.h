#pragma once
// Survival throttle levels; they compare by their numbers.
namespace vantrel {

enum class ThrottleLevel {
    normal = 0,
    level1 = 1,
    level2 = 2,
    level3 = 3
};

inline int levelNumber(ThrottleLevel level) { return static_cast<int>(level); }

} // namespace vantrel
