#pragma once
// The choices of the safety-drain target dialog: "auto" (follow the charge limit) and the
// fixed targets 80, 70, 60 and 50 percent, in this order.
#include <optional>
#include <vector>

#include <QString>

namespace vantrel {

struct SafetyDrainTargetOption {
    QString id; // "auto" or "fixed-" + target
    std::optional<int> target; // none for "auto"
    QString title;
    QString caption;
};

// autoTarget is the percent "auto" stands for now (shown in its caption).
std::vector<SafetyDrainTargetOption> safetyDrainTargetOptions(int autoTarget, const QString& lang);

} // namespace vantrel
