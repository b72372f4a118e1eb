#pragma once
// What the sleep page reads and calls of the model: the stored sleep settings, the
// reconciliation's operations, the display-only override, the virtual display's presence,
// the hardware's clamshell support and the battery level. Main thread.
#include <functional>
#include <optional>

#include <QObject>
#include <QString>

namespace vantrel {

class SleepSettingsState;

class SleepControls : public QObject {
    Q_OBJECT
public:
    using Completion = std::function<void(bool succeeded)>;

    using QObject::QObject;
    ~SleepControls() override = default;

    virtual SleepSettingsState& settings() = 0;
    virtual bool appNapSuppressionEnabled() const = 0;
    virtual void setAppNapSuppressionEnabled(bool enabled) = 0;

    virtual void applySleepPreventionUserRequest(bool enabled, Completion completion) = 0;
    virtual void setVirtualClamshellUserIntent(bool enabled, const QString& reason) = 0;
    virtual void setSafetyLockUserIntent(bool enabled, const QString& reason) = 0;
    virtual void reconcileSleepRuntime(const QString& reason) = 0;
    virtual void preventDisplaySleep(bool enabled) = 0;
    virtual bool isVirtualDisplayPresent() const = 0;

    // Nothing until the hardware profile is known.
    virtual std::optional<bool> supportsClamshell() const = 0;
    virtual bool desktopClass() const = 0;
    // The battery level now, else the pmset reading; nothing when neither is known.
    virtual std::optional<int> batteryPercent() const = 0;

Q_SIGNALS:
    void hardwareProfileChanged();
};

} // namespace vantrel
