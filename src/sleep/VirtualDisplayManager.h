#pragma once
// The virtual clamshell: a software display the size of the built-in panel that keeps the
// graphics pipeline and the user's windows alive while the lid is closed. The sleep
// reconciliation decides when it runs; this class only creates and drops the display and
// answers whether a real external monitor is connected. Used on the main thread.
#include <cstdint>
#include <memory>
#include <set>
#include <utility>

#include "platform/Displays.h"

namespace vantrel {

class VirtualDisplayManager {
public:
    static constexpr const char* displayName = "Vantrel Virtual Clamshell";
    static constexpr std::uint32_t productId = 4660; // 0x1234
    static constexpr std::uint32_t vendorId = 22136; // 0x5678
    static constexpr std::uint32_t serialNum = 1;
    static constexpr std::uint32_t defaultWidth = 3456;
    static constexpr std::uint32_t defaultHeight = 2234;

    explicit VirtualDisplayManager(std::shared_ptr<Displays> displays);

    void startVirtualDisplay();
    // The argument is accepted for the callers' sake and has no effect.
    void stopVirtualDisplay(bool preservePreferenceMonitor = false);

    bool isDisplayPresent() const { return display_ != nullptr; }
    const std::set<std::uint32_t>& virtualDisplayIds() const { return virtualDisplayIds_; }

    bool hasRealExternalDisplay(const std::set<std::uint32_t>& excluding, bool virtualDisplayRunning) const;
    static bool hasRealExternalDisplay(const Displays& displays, const std::set<std::uint32_t>& excluding,
                                       bool virtualDisplayRunning);

    static std::set<std::uint32_t> rawNonBuiltInOnlineDisplayIds(const Displays& displays);
    static std::pair<std::uint32_t, std::uint32_t> detectBuiltInDisplayResolution(const Displays& displays);
    static void disableMirroring(Displays& displays);

private:
    std::shared_ptr<Displays> displays_;
    std::unique_ptr<VirtualDisplay> display_;
    std::set<std::uint32_t> virtualDisplayIds_;
};

} // namespace vantrel
