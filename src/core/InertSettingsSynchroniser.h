#pragma once
// Stands in for the daemon settings synchronisation until it is built: the application's own
// stored settings stay in force and the daemon's canonical settings are never read. It
// reports ready so the heartbeat does not probe for settings nobody will read.
#include "core/SettingsSynchroniser.h"

namespace vantrel {

class InertSettingsSynchroniser final : public SettingsSynchroniser {
public:
    bool canonicalSettingsReady() const override { return true; }
    void reconcileDaemonCanonicalUserSettings(const QString&) override { }
    void probeDaemonCanonicalSettingsAfterExhaustion(const QString&) override { }
    void resetAfterDaemonLoss() override { }
};

} // namespace vantrel
