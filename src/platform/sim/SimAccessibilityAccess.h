#pragma once
// The simulated Mac's privacy answers from the simulator's "hardware.json" ("platform":
// "accessibility_trusted", "automation_allowed"); not granted while the file cannot be read.
#include "platform/AccessibilityAccess.h"
#include "platform/sim/SimHardwareState.h"

namespace vantrel {

class SimAccessibilityAccess final : public AccessibilityAccess {
public:
    explicit SimAccessibilityAccess(QString stateDirectory);
    bool isProcessTrusted() const override;
    bool probeSystemEventsAutomation() override;

private:
    bool platformFlag(const QString& key) const;

    SimHardwareState hardware_;
};

} // namespace vantrel
