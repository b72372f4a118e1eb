#pragma once
// The hardware overview the system profiler prints for "SPHardwareDataType".
#include <optional>

#include <QString>

namespace vantrel {

struct HardwareOverview {
    QString modelName; // e.g. "MacBook Pro"
    QString modelIdentifier; // e.g. "Mac14,10"
    QString marketingName; // e.g. "MacBook Pro (16-inch, 2023)"; may be empty
    bool operator==(const HardwareOverview&) const = default;
};

class SystemProfiler {
public:
    virtual ~SystemProfiler() = default;
    // Nothing when the machine does not say what it is.
    virtual std::optional<HardwareOverview> hardwareOverview() const = 0;
};

} // namespace vantrel
