#include "sleep/VirtualDisplayManager.h"

#include <algorithm>
#include <iterator>

#include "base/Log.h"

namespace vantrel {
namespace {

constexpr int kMaxOnlineDisplays = 16;
constexpr int kMaxActiveDisplays = 8;
constexpr double kRefreshRate = 60.0;
constexpr std::uint32_t kUnknownVendor = 0x756E6B6E; // 'unkn'
constexpr std::uint32_t kVirtualModel = 0x76697274; // 'virt'

void log(const QString& text) { logLine(QStringLiteral("VirtualDisplayManager: ") + text); }

QString sizeText(std::uint32_t w, std::uint32_t h) { return QStringLiteral("%1x%2").arg(w).arg(h); }

} // namespace

VirtualDisplayManager::VirtualDisplayManager(std::shared_ptr<Displays> displays)
    : displays_(std::move(displays))
{ }

void VirtualDisplayManager::startVirtualDisplay()
{
    if (display_) {
        log(QStringLiteral("Already running."));
        return;
    }
    if (!displays_) {
        log(QStringLiteral("❌ Failed to create CGVirtualDisplay."));
        return;
    }
    if (hasRealExternalDisplay(virtualDisplayIds_, false)) {
        log(QStringLiteral("Start skipped because a real external display is connected."));
        return;
    }
    const std::set<std::uint32_t> before = rawNonBuiltInOnlineDisplayIds(*displays_);
    const auto [w, h] = detectBuiltInDisplayResolution(*displays_);
    log(QStringLiteral("Initializing %1 @ 60Hz (matched to built-in)...").arg(sizeText(w, h)));

    VirtualDisplayDescriptor descriptor;
    descriptor.name = QString::fromUtf8(displayName);
    descriptor.maxPixelsWide = w;
    descriptor.maxPixelsHigh = h;
    descriptor.widthMillimeters = 345.0;
    descriptor.heightMillimeters = 223.0;
    descriptor.productId = productId;
    descriptor.vendorId = vendorId;
    descriptor.serialNum = serialNum;
    std::unique_ptr<VirtualDisplay> created = displays_->createVirtualDisplay(descriptor);
    if (!created) {
        log(QStringLiteral("❌ Failed to create CGVirtualDisplay."));
        return;
    }
    // Returning early drops `created`, which removes the display again.
    const auto mode = displays_->makeMode(w, h, kRefreshRate);
    if (!mode) {
        log(QStringLiteral("❌ Failed to create mode."));
        return;
    }
    if (!created->applySettings({*mode})) {
        log(QStringLiteral("❌ Failed to apply settings."));
        return;
    }
    display_ = std::move(created);

    const std::set<std::uint32_t> after = rawNonBuiltInOnlineDisplayIds(*displays_);
    virtualDisplayIds_.clear();
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                        std::inserter(virtualDisplayIds_, virtualDisplayIds_.end()));
    log(QStringLiteral("✅ Virtual Clamshell Active (%1)").arg(sizeText(w, h)));
    disableMirroring(*displays_);
}

void VirtualDisplayManager::stopVirtualDisplay(bool /*preservePreferenceMonitor*/)
{
    if (display_) {
        log(QStringLiteral("Stopping Virtual Clamshell..."));
        display_.reset();
    }
    virtualDisplayIds_.clear();
}

bool VirtualDisplayManager::hasRealExternalDisplay(const std::set<std::uint32_t>& excluding,
                                                   bool virtualDisplayRunning) const
{
    return displays_ && hasRealExternalDisplay(*displays_, excluding, virtualDisplayRunning);
}

bool VirtualDisplayManager::hasRealExternalDisplay(const Displays& displays, const std::set<std::uint32_t>& excluding,
                                                   bool virtualDisplayRunning)
{
    std::set<std::uint32_t> ids = rawNonBuiltInOnlineDisplayIds(displays);
    for (std::uint32_t id : excluding)
        ids.erase(id);
    // With the own display's ids unknown, a single non-built-in display is taken to be it.
    if (virtualDisplayRunning && excluding.empty() && ids.size() < 2)
        return false;
    if (ids.empty())
        return false;

    const auto online = displays.onlineDisplays(kMaxOnlineDisplays).value_or(std::vector<DisplayInfo>{});
    const std::vector<ScreenInfo> screens = displays.screens();
    const QString ownName = QString::fromUtf8(displayName);
    for (std::uint32_t id : ids) {
        const auto info = std::find_if(online.begin(), online.end(), [id](const DisplayInfo& d) { return d.id == id; });
        if (info != online.end()) {
            if (info->vendorNumber == vendorId && info->modelNumber == productId && info->serialNumber == serialNum)
                continue;
            if (info->vendorNumber == kUnknownVendor && info->modelNumber == kVirtualModel)
                continue;
        }
        const bool namedAsOwn = std::any_of(screens.begin(), screens.end(), [&](const ScreenInfo& s) {
            return s.displayId == id && s.localizedName == ownName;
        });
        if (namedAsOwn)
            continue;
        return true;
    }
    return false;
}

std::set<std::uint32_t> VirtualDisplayManager::rawNonBuiltInOnlineDisplayIds(const Displays& displays)
{
    std::set<std::uint32_t> ids;
    const auto online = displays.onlineDisplays(kMaxOnlineDisplays);
    if (!online)
        return ids;
    int taken = 0;
    for (const DisplayInfo& d : *online) {
        if (taken++ == kMaxOnlineDisplays)
            break;
        if (!d.builtIn)
            ids.insert(d.id);
    }
    return ids;
}

std::pair<std::uint32_t, std::uint32_t> VirtualDisplayManager::detectBuiltInDisplayResolution(const Displays& displays)
{
    const PixelSize size = displays.mainDisplayPixelSize();
    if (size.width >= 1 && size.height >= 1) {
        log(QStringLiteral("Built-in display detected: ") + sizeText(size.width, size.height));
        return {size.width, size.height};
    }
    log(QStringLiteral("Using default resolution: ") + sizeText(defaultWidth, defaultHeight));
    return {defaultWidth, defaultHeight};
}

void VirtualDisplayManager::disableMirroring(Displays& displays)
{
    std::unique_ptr<DisplayConfiguration> config = displays.beginConfiguration();
    if (!config) {
        log(QStringLiteral("⚠️ Could not begin display config"));
        return;
    }
    for (std::uint32_t id : displays.activeDisplayIds(kMaxActiveDisplays))
        config->configureMirror(id, 0);
    const int error = config->completeForSession();
    if (error != 0)
        log(QStringLiteral("⚠️ Failed to disable mirroring (error: %1)").arg(error));
    else
        log(QStringLiteral("✅ Mirroring disabled — extended mode (session only)"));
}

} // namespace vantrel
