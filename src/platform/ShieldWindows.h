#pragma once
// The opaque windows of the safety shield: black, borderless, above everything, never
// focused, swallowing clicks, one per screen they are asked to cover.
#include <vector>

#include <QRect>
#include <QString>

namespace vantrel {

struct ShieldScreen {
    QString displayId; // "" when the platform cannot name the screen
    bool builtIn = false;
    bool online = true;
    QRect frame;
};

class ShieldWindows {
public:
    virtual ~ShieldWindows() = default;
    // Every screen the desktop currently has, in its order.
    virtual std::vector<ShieldScreen> screens() const = 0;
    // Covers each of the given screens with one shield window and brings it to the front without
    // activating the application; returns how many windows are now shown.
    virtual int show(const std::vector<ShieldScreen>& screens) = 0;
    // Orders out and closes every shield window; nothing happens when none is shown.
    virtual void hide() = 0;
};

} // namespace vantrel
