#pragma once
// The friendly name shown for the machine: the profiler's marketing name when it gives one,
// else the family read from the model identifier ("MacBookPro18,3" → "MacBook Pro").
#include <optional>

#include <QString>

namespace vantrel::dashboard {

QString friendlyModelLabel(const std::optional<QString>& profilerName, const QString& modelIdentifier);

} // namespace vantrel::dashboard
