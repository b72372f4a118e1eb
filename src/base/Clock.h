#pragma once
// Wall time and monotonic uptime, replaceable so tests control time.
#include <QDateTime>

namespace vantrel {

class Clock {
public:
    virtual ~Clock() = default;
    // Current wall-clock time (UTC based QDateTime).
    virtual QDateTime now() const = 0;
    // Seconds since an arbitrary fixed origin; never goes backwards.
    virtual double uptimeSeconds() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override;
    double uptimeSeconds() const override;
};

} // namespace vantrel
