#pragma once
// Shield windows where there is no window system (a run without the windowed half): no screens,
// so nothing is ever covered and showing the shield reports that no built-in screen was found.
#include "platform/ShieldWindows.h"

namespace vantrel {

class HeadlessShieldWindows final : public ShieldWindows {
public:
    std::vector<ShieldScreen> screens() const override { return {}; }
    int show(const std::vector<ShieldScreen>&) override { return 0; }
    void hide() override { }
};

} // namespace vantrel
