#pragma once
// Shield windows on the screens of the Qt desktop. A screen is built in when its connector names
// a laptop panel (eDP, LVDS, DSI); tests and other desktops may pass their own rule.
#include <functional>
#include <memory>
#include <vector>

#include "platform/ShieldWindows.h"

class QScreen;

namespace vantrel {

class ShieldPanel;

class QtShieldWindows final : public ShieldWindows {
public:
    using BuiltInRule = std::function<bool(const QScreen*)>;

    explicit QtShieldWindows(BuiltInRule isBuiltIn = {});
    ~QtShieldWindows() override;

    static bool isPanelConnector(const QString& screenName);

    std::vector<ShieldScreen> screens() const override;
    int show(const std::vector<ShieldScreen>& screens) override;
    void hide() override;

    const std::vector<std::unique_ptr<ShieldPanel>>& panels() const { return panels_; }

private:
    BuiltInRule isBuiltIn_;
    std::vector<std::unique_ptr<ShieldPanel>> panels_;
};

} // namespace vantrel
