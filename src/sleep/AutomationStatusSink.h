#pragma once
// Where the keep-awake controller publishes the accessibility and automation status it finds:
// the central state's properties of the same names, and its daemon availability check.
// Main thread.
#include <QString>

namespace vantrel {

class AutomationStatusSink {
public:
    virtual ~AutomationStatusSink() = default;
    virtual void setAccessibilityTrusted(bool trusted) = 0;
    virtual void setAutomationPermissionRequested(bool requested) = 0;
    virtual void setAutomationAuthorized(bool authorized) = 0;
    virtual void setAutomationStatusText(const QString& text) = 0;
    virtual void checkDaemonAvailability() = 0;
};

} // namespace vantrel
