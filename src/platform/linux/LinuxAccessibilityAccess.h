#pragma once
// Linux desktops have no accessibility trust list and no Apple-event automation consent:
// the application may do what the user may, so both read as granted.
#include "platform/AccessibilityAccess.h"

namespace vantrel {

class LinuxAccessibilityAccess final : public AccessibilityAccess {
public:
    bool isProcessTrusted() const override { return true; }
    bool probeSystemEventsAutomation() override { return true; }
};

} // namespace vantrel
