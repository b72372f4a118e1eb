#pragma once
// Stands in for the sleep runtime reconciliation until the sleep subsystem is built: the
// sleep settings are stored but nothing is applied to the system or the daemon.
#include "sleep/SleepReconciler.h"

namespace vantrel {

class InertSleepReconciler final : public SleepReconciler {
public:
    void reconcileSleepRuntime(const QString&) override { }
    void scheduleSleepRuntimeReconcile(const QString&) override { }
    void resetDaemonApplyState() override { }
};

} // namespace vantrel
