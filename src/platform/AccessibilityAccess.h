#pragma once
// Whether this process may drive the user interface (accessibility trust) and send Apple
// events to "System Events" (automation).
namespace vantrel {

class AccessibilityAccess {
public:
    virtual ~AccessibilityAccess() = default;
    virtual bool isProcessTrusted() const = 0;
    // Blocks while the platform is asked; call it from a background queue.
    virtual bool probeSystemEventsAutomation() = 0;
};

} // namespace vantrel
