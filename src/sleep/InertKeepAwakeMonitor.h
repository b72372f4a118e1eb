#pragma once
// Stands in for the keep-awake and clamshell monitor until the sleep subsystem is built:
// the lid is not watched and the automation status keeps its restored value.
#include "sleep/KeepAwakeMonitor.h"

namespace vantrel {

class InertKeepAwakeMonitor final : public KeepAwakeMonitor {
public:
    void updateLidOpenLockMonitoring(bool) override { }
    void refreshAutomationStatus() override { }
};

} // namespace vantrel
