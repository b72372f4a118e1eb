#pragma once
// Scripted accessibility trust and automation answers, with a count of automation probes.
#include <atomic>

#include "platform/AccessibilityAccess.h"

namespace vantrel::test {

class FakeAccessibilityAccess final : public AccessibilityAccess {
public:
    bool isProcessTrusted() const override { return trusted.load(); }
    bool probeSystemEventsAutomation() override
    {
        ++automationProbes;
        return automationAllowed.load();
    }

    std::atomic<bool> trusted{true};
    std::atomic<bool> automationAllowed{true};
    std::atomic<int> automationProbes{0};
};

} // namespace vantrel::test
