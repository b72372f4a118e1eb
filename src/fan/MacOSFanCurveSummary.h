#pragma once
// Four short texts condensing the observed stock fan behaviour for the fan screen.
#include <optional>
#include <vector>

#include <QString>

#include "fan/ObservedMacOSFanPoint.h"

namespace vantrel {

struct MacOSFanCurveSummary {
    int sampleCount = 0;
    QString temperatureRangeText;
    QString rpmRangeText;
    QString behaviorText;
    QString bandText;

    MacOSFanCurveSummary();
    // Every text is independent of the samples' order.
    explicit MacOSFanCurveSummary(const std::vector<ObservedMacOSFanPoint>& samples);
    static MacOSFanCurveSummary empty() { return {}; }

    bool operator==(const MacOSFanCurveSummary&) const = default;
};

// The value at index round(p × (count − 1)) (halves away from zero) of the sorted values.
std::optional<int> percentile(std::vector<int> values, double p);

} // namespace vantrel
