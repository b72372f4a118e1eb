#pragma once
// Shield windows that record what they were asked to cover.
#include <vector>

#include "platform/ShieldWindows.h"

namespace vantrel::test {

class FakeShieldWindows final : public ShieldWindows {
public:
    std::vector<ShieldScreen> desktop;
    std::vector<std::vector<ShieldScreen>> shows;
    int hides = 0;
    int shown = 0;

    std::vector<ShieldScreen> screens() const override { return desktop; }
    int show(const std::vector<ShieldScreen>& screens) override
    {
        shows.push_back(screens);
        shown = static_cast<int>(screens.size());
        return shown;
    }
    void hide() override
    {
        ++hides;
        shown = 0;
    }
};

inline ShieldScreen screen(const QString& id, bool builtIn, const QRect& frame)
{
    ShieldScreen s;
    s.displayId = id;
    s.builtIn = builtIn;
    s.frame = frame;
    return s;
}

} // namespace vantrel::test
