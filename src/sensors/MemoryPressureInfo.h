#pragma once
// One reading of the machine's memory: use by kind, swap, and the pressure level.
#include <cstdint>

#include <QString>

namespace vantrel {

enum class MemoryPressureLevel {
    Low = 0,
    Medium = 1,
    High = 2,
    Critical = 3,
    Unknown = 4
};

// "low", "medium", "high", "critical", "unknown".
QString memoryPressureLevelText(MemoryPressureLevel level);

struct MemoryPressureInfo {
    MemoryPressureLevel level = MemoryPressureLevel::Unknown;
    std::uint64_t usedBytes = 0; // app + wired + compressed
    std::uint64_t totalBytes = 0; // used + cached + free
    std::uint64_t appBytes = 0;
    std::uint64_t wiredBytes = 0;
    std::uint64_t compressedBytes = 0;
    std::uint64_t cachedBytes = 0; // inactive + speculative
    std::uint64_t swapUsedBytes = 0;
    bool swapUnavailable = true;
    bool operator==(const MemoryPressureInfo&) const = default;
};

} // namespace vantrel
