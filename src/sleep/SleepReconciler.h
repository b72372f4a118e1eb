#pragma once
// What the central state needs of the sleep runtime reconciliation: a reconcile on every
// tick, a debounced one after a sleep setting changes, and a fresh start when the daemon
// comes back. Main thread.
#include <QString>

namespace vantrel {

class SleepReconciler {
public:
    virtual ~SleepReconciler() = default;
    virtual void reconcileSleepRuntime(const QString& reason) = 0;
    virtual void scheduleSleepRuntimeReconcile(const QString& reason) = 0;
    // Forgets what was last applied to the daemon and any retry, so the next reconcile sends.
    virtual void resetDaemonApplyState() = 0;
};

} // namespace vantrel
