#pragma once
// What the central state needs of the daemon settings synchronisation: reconcile at start-up,
// a probe from the heartbeat while the daemon's settings are not ready, and a reset when the
// daemon is lost. Main thread.
#include <QString>

namespace vantrel {

class SettingsSynchroniser {
public:
    virtual ~SettingsSynchroniser() = default;
    virtual bool canonicalSettingsReady() const = 0;
    virtual void reconcileDaemonCanonicalUserSettings(const QString& reason) = 0;
    virtual void probeDaemonCanonicalSettingsAfterExhaustion(const QString& reason) = 0;
    virtual void resetAfterDaemonLoss() = 0;
};

} // namespace vantrel
