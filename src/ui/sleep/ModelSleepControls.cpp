#include "ui/sleep/ModelSleepControls.h"

#include "core/ThermalManager.h"
#include "power/PowerSourceMonitor.h"
#include "sensors/HardwareCapabilityStore.h"
#include "sleep/KeepAliveController.h"
#include "sleep/SleepRuntimeReconciler.h"
#include "sleep/VirtualDisplayManager.h"

namespace vantrel {

ModelSleepControls::ModelSleepControls(Parts parts, QObject* parent)
    : SleepControls(parent)
    , parts_(std::move(parts))
{
    connect(&parts_.capabilities, &HardwareCapabilityStore::profileChanged, this,
            &SleepControls::hardwareProfileChanged);
    connect(&parts_.capabilities, &HardwareCapabilityStore::isLoadedChanged, this,
            &SleepControls::hardwareProfileChanged);
    // The page decides which rows exist from the profile; ask for it when nobody has yet.
    if (!parts_.capabilities.isLoaded())
        parts_.capabilities.refresh();
}

SleepSettingsState& ModelSleepControls::settings() { return parts_.thermal.sleep(); }

bool ModelSleepControls::appNapSuppressionEnabled() const { return parts_.thermal.appNapSuppressionEnabled(); }

void ModelSleepControls::setAppNapSuppressionEnabled(bool enabled)
{
    parts_.thermal.setAppNapSuppressionEnabled(enabled);
}

void ModelSleepControls::applySleepPreventionUserRequest(bool enabled, Completion completion)
{
    parts_.reconciler.applySleepPreventionUserRequest(
        enabled, [completion = std::move(completion)](const SleepRuntimeApplyResult& result) {
            if (completion)
                completion(result.succeeded);
        });
}

void ModelSleepControls::setVirtualClamshellUserIntent(bool enabled, const QString& reason)
{
    parts_.reconciler.setVirtualClamshellUserIntent(enabled, reason);
}

void ModelSleepControls::setSafetyLockUserIntent(bool enabled, const QString& reason)
{
    parts_.reconciler.setSafetyLockUserIntent(enabled, reason);
}

void ModelSleepControls::reconcileSleepRuntime(const QString& reason)
{
    parts_.reconciler.reconcileSleepRuntime(reason);
}

void ModelSleepControls::preventDisplaySleep(bool enabled) { parts_.keepAlive.preventDisplaySleep(enabled); }

bool ModelSleepControls::isVirtualDisplayPresent() const { return parts_.virtualDisplays.isDisplayPresent(); }

std::optional<bool> ModelSleepControls::supportsClamshell() const
{
    if (!parts_.capabilities.isLoaded())
        return std::nullopt;
    return parts_.capabilities.profile().supportsClamshell;
}

bool ModelSleepControls::desktopClass() const
{
    return parts_.capabilities.isLoaded() && parts_.capabilities.profile().desktopClass;
}

std::optional<int> ModelSleepControls::batteryPercent() const
{
    if (!parts_.powerSources)
        return std::nullopt;
    if (auto percent = parts_.powerSources->currentBatteryPercent())
        return percent;
    return parts_.powerSources->pmsetBatteryPercent();
}

} // namespace vantrel
