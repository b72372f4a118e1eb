#pragma once
// Sleep controls over stored settings that record every call; the prevent-sleep answers are
// held until the test releases them, and the virtual display appears when the test says so.
#include <functional>
#include <optional>
#include <vector>

#include <QStringList>

#include "base/Preferences.h"
#include "sleep/SleepSettingsState.h"
#include "ui/sleep/SleepControls.h"

namespace vantrel::test {

class FakeSleepControls final : public SleepControls {
public:
    MemoryPreferences preferences;
    SleepSettingsState state{preferences};
    std::optional<bool> clamshell = true;
    bool desktop = false;
    std::optional<int> battery;
    bool appNap = false;
    bool displayPresent = false;
    // What a reconcile does to the virtual display: the daemon confirmed and it runs.
    bool reconcileStartsDisplay = false;
    std::vector<std::pair<bool, Completion>> preventRequests;
    QStringList calls;
    std::vector<bool> displaySleepRequests;

    SleepSettingsState& settings() override { return state; }
    bool appNapSuppressionEnabled() const override { return appNap; }
    void setAppNapSuppressionEnabled(bool enabled) override { appNap = enabled; }
    void applySleepPreventionUserRequest(bool enabled, Completion completion) override
    {
        state.setUserIntendedDarkKeepAliveEnabled(enabled);
        preventRequests.emplace_back(enabled, std::move(completion));
    }
    void setVirtualClamshellUserIntent(bool enabled, const QString& reason) override
    {
        calls << QStringLiteral("clamshell-intent %1 %2").arg(int(enabled)).arg(reason);
        state.setUserIntendedVirtualDisplayEnabled(enabled);
    }
    void setSafetyLockUserIntent(bool enabled, const QString& reason) override
    {
        calls << QStringLiteral("lock-intent %1 %2").arg(int(enabled)).arg(reason);
        state.setUserIntendedLockOnLidOpenEnabled(enabled);
        state.setLockOnLidOpenEnabled(enabled);
    }
    void reconcileSleepRuntime(const QString& reason) override
    {
        calls << QStringLiteral("reconcile ") + reason;
        if (reconcileStartsDisplay) {
            displayPresent = state.userIntendedVirtualDisplayEnabled();
            state.setVirtualDisplayEnabled(displayPresent);
        }
    }
    void preventDisplaySleep(bool enabled) override { displaySleepRequests.push_back(enabled); }
    bool isVirtualDisplayPresent() const override { return displayPresent; }
    std::optional<bool> supportsClamshell() const override { return clamshell; }
    bool desktopClass() const override { return desktop; }
    std::optional<int> batteryPercent() const override { return battery; }

    // The daemon's answer to the n-th prevent-sleep request.
    void answer(std::size_t index, bool succeeded, bool keptIntent)
    {
        state.setUserIntendedDarkKeepAliveEnabled(keptIntent);
        preventRequests.at(index).second(succeeded);
    }
};

} // namespace vantrel::test
