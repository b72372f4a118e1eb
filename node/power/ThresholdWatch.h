#pragma once
// Notices firmware that accepts a charge limit and ignores it: on external power, above the
// limit and still "Charging" for kIgnoredAfter, the limit is not in effect; it is again as
// soon as any of that stops.
#include <chrono>
#include <optional>

#include <QString>

namespace vantrel::node {

class ThresholdWatch {
public:
    static constexpr std::chrono::minutes kIgnoredAfter{5};

    // limit: the end threshold set (100 or less than 1 means none).
    void observe(std::chrono::steady_clock::time_point now, bool external, int percent, const QString& status,
                 int limit);
    bool limitInEffect() const { return inEffect_; }

private:
    std::optional<std::chrono::steady_clock::time_point> chargingPastSince_;
    int watchedLimit_ = -1;
    bool inEffect_ = true;
};

} // namespace vantrel::node
