#pragma once
// The sleep page's controls over the running model: the central state's sleep settings and
// App Nap switch, the sleep runtime reconciliation, keep-awake, the virtual display, the
// capability store and the power sources.
#include <memory>

#include <QPointer>

#include "ui/sleep/SleepControls.h"

namespace vantrel {

class HardwareCapabilityStore;
class KeepAliveController;
class PowerSourceMonitor;
class SleepRuntimeReconciler;
class ThermalManager;
class VirtualDisplayManager;

class ModelSleepControls final : public SleepControls {
    Q_OBJECT
public:
    struct Parts {
        ThermalManager& thermal;
        SleepRuntimeReconciler& reconciler;
        KeepAliveController& keepAlive;
        VirtualDisplayManager& virtualDisplays;
        HardwareCapabilityStore& capabilities;
        std::shared_ptr<PowerSourceMonitor> powerSources; // may be null: battery unknown
    };

    explicit ModelSleepControls(Parts parts, QObject* parent = nullptr);

    SleepSettingsState& settings() override;
    bool appNapSuppressionEnabled() const override;
    void setAppNapSuppressionEnabled(bool enabled) override;
    void applySleepPreventionUserRequest(bool enabled, Completion completion) override;
    void setVirtualClamshellUserIntent(bool enabled, const QString& reason) override;
    void setSafetyLockUserIntent(bool enabled, const QString& reason) override;
    void reconcileSleepRuntime(const QString& reason) override;
    void preventDisplaySleep(bool enabled) override;
    bool isVirtualDisplayPresent() const override;
    std::optional<bool> supportsClamshell() const override;
    bool desktopClass() const override;
    std::optional<int> batteryPercent() const override;

private:
    Parts parts_;
};

} // namespace vantrel
