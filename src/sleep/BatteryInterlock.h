#pragma once
// Battery cut-offs for sleep prevention and the virtual clamshell: 20, 30, … 80 percent.
#include <array>

namespace vantrel {

inline constexpr std::array<int, 7> batteryInterlockOptions{20, 30, 40, 50, 60, 70, 80};

// The nearest allowed cut-off; on a tie the lower option wins.
int normalizedBatteryInterlockPercent(int value);

} // namespace vantrel
