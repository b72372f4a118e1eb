#pragma once
// The central state as the keep-awake controller's automation status sink. Holds the central
// state weakly: once it is gone, the late answers of probes go nowhere.
#include <QPointer>

#include "core/ThermalManager.h"
#include "sleep/AutomationStatusSink.h"

namespace vantrel {

class ThermalAutomationStatus final : public AutomationStatusSink {
public:
    explicit ThermalAutomationStatus(ThermalManager& thermal)
        : thermal_(&thermal)
    { }
    void setAccessibilityTrusted(bool trusted) override
    {
        if (thermal_)
            thermal_->setAccessibilityTrusted(trusted);
    }
    void setAutomationPermissionRequested(bool requested) override
    {
        if (thermal_)
            thermal_->setAutomationPermissionRequested(requested);
    }
    void setAutomationAuthorized(bool authorized) override
    {
        if (thermal_)
            thermal_->setAutomationAuthorized(authorized);
    }
    void setAutomationStatusText(const QString& text) override
    {
        if (thermal_)
            thermal_->setAutomationStatusText(text);
    }
    void checkDaemonAvailability() override
    {
        if (thermal_)
            thermal_->checkDaemonAvailability();
    }

private:
    QPointer<ThermalManager> thermal_;
};

} // namespace vantrel
