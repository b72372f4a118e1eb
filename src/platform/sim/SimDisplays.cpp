#include "platform/sim/SimDisplays.h"

#include <limits>

#include "base/JsonAccess.h"
#include "base/Log.h"

namespace vantrel {
namespace {

constexpr PixelSize kExternalSize{3840, 2160};

std::uint32_t unsignedField(const QJsonObject& o, const char* key)
{
    const auto v = json::integer(o, QLatin1String(key));
    return v && *v >= 0 && *v <= std::numeric_limits<std::uint32_t>::max() ? static_cast<std::uint32_t>(*v) : 0;
}

QJsonObject virtualDisplayRequest(bool active)
{
    return QJsonObject{{QStringLiteral("cmd"), QStringLiteral("sim_platform")},
                       {QStringLiteral("action"), QStringLiteral("set_virtual_display")},
                       {QStringLiteral("active"), active}};
}

class SimVirtualDisplay final : public VirtualDisplay {
public:
    SimVirtualDisplay(std::shared_ptr<DaemonTransport> transport, PixelSize maximum)
        : transport_(std::move(transport))
        , maximum_(maximum)
    { }
    ~SimVirtualDisplay() override
    {
        const auto reply = transport_->send(virtualDisplayRequest(false));
        if (!(reply && json::isOkStatus(*reply)))
            logLine(QStringLiteral("SimPlatform: the simulator did not take the virtual display's removal"));
    }
    // A mode fits when it is no larger than the display was described.
    bool applySettings(const std::vector<VirtualDisplayMode>& modes) override
    {
        if (modes.empty())
            return false;
        for (const auto& m : modes)
            if (m.width > maximum_.width || m.height > maximum_.height)
                return false;
        return true;
    }

private:
    std::shared_ptr<DaemonTransport> transport_;
    PixelSize maximum_;
};

class SimDisplayConfiguration final : public DisplayConfiguration {
public:
    void configureMirror(std::uint32_t, std::uint32_t) override { }
    int completeForSession() override { return 0; }
};

} // namespace

SimDisplays::SimDisplays(QString stateDirectory, std::shared_ptr<DaemonTransport> transport)
    : hardware_(std::move(stateDirectory))
    , transport_(std::move(transport))
{ }

std::optional<std::vector<SimDisplays::Panel>> SimDisplays::panels() const
{
    const auto state = hardware_.read();
    if (!state)
        return std::nullopt;
    std::vector<Panel> list;
    const auto builtIn = json::object(*state, QStringLiteral("built_in_display"));
    const bool lidClosed = json::strictBool(*state, QStringLiteral("lid_closed")).value_or(false);
    if (builtIn && !lidClosed)
        list.push_back(Panel{DisplayInfo{builtInId, true, appleVendor, 0xA050, 0},
                             QStringLiteral("Built-in Retina Display"),
                             PixelSize{unsignedField(*builtIn, "width"), unsignedField(*builtIn, "height")}});
    const auto externals = json::integer(*state, QStringLiteral("external_display_count")).value_or(0);
    for (qint64 i = 0; i < std::min<qint64>(externals, 8); ++i) {
        const auto index = static_cast<std::uint32_t>(i);
        list.push_back(Panel{DisplayInfo{firstExternalId + index, false, externalVendor, externalModel, 1000 + index},
                             QStringLiteral("DELL U2720Q (%1)").arg(i + 1), kExternalSize});
    }
    const auto platform = json::object(*state, QStringLiteral("platform"));
    const auto display = platform ? json::object(*platform, QStringLiteral("virtual_display")) : std::nullopt;
    if (display && unsignedField(*display, "id") != 0)
        list.push_back(
            Panel{DisplayInfo{unsignedField(*display, "id"), false, unsignedField(*display, "vendor_id"),
                              unsignedField(*display, "product_id"), unsignedField(*display, "serial_number")},
                  json::string(*display, QStringLiteral("name")).value_or(QString()),
                  PixelSize{unsignedField(*display, "width"), unsignedField(*display, "height")}});
    return list;
}

std::optional<std::vector<DisplayInfo>> SimDisplays::onlineDisplays(int maxCount) const
{
    const auto list = panels();
    if (!list)
        return std::nullopt;
    std::vector<DisplayInfo> out;
    for (const Panel& p : *list)
        if (static_cast<int>(out.size()) < maxCount)
            out.push_back(p.info);
    return out;
}

std::vector<ScreenInfo> SimDisplays::screens() const
{
    std::vector<ScreenInfo> out;
    for (const Panel& p : panels().value_or(std::vector<Panel>{}))
        out.push_back(ScreenInfo{p.info.id, p.name});
    return out;
}

PixelSize SimDisplays::mainDisplayPixelSize() const
{
    const auto list = panels();
    return list && !list->empty() ? list->front().size : PixelSize{};
}

std::optional<VirtualDisplayMode> SimDisplays::makeMode(std::uint32_t width, std::uint32_t height,
                                                        double refreshRate) const
{
    if (width == 0 || height == 0 || !(refreshRate > 0))
        return std::nullopt;
    return VirtualDisplayMode{width, height, refreshRate};
}

QJsonObject SimDisplays::createRequest(const VirtualDisplayDescriptor& d)
{
    QJsonObject request = virtualDisplayRequest(true);
    request.insert(QStringLiteral("name"), d.name);
    request.insert(QStringLiteral("width"), static_cast<qint64>(d.maxPixelsWide));
    request.insert(QStringLiteral("height"), static_cast<qint64>(d.maxPixelsHigh));
    request.insert(QStringLiteral("vendor_id"), static_cast<qint64>(d.vendorId));
    request.insert(QStringLiteral("product_id"), static_cast<qint64>(d.productId));
    request.insert(QStringLiteral("serial_number"), static_cast<qint64>(d.serialNum));
    return request;
}

std::unique_ptr<VirtualDisplay> SimDisplays::createVirtualDisplay(const VirtualDisplayDescriptor& descriptor)
{
    if (!transport_)
        return nullptr;
    // The simulated Mac holds one virtual display. One that is already there is left from an app
    // that ended without removing it (a real one goes with its process), so it is described anew
    // and taken over under its id.
    const auto reply = transport_->send(createRequest(descriptor));
    if (!(reply && json::isOkStatus(*reply)))
        return nullptr;
    return std::make_unique<SimVirtualDisplay>(transport_,
                                               PixelSize{descriptor.maxPixelsWide, descriptor.maxPixelsHigh});
}

std::unique_ptr<DisplayConfiguration> SimDisplays::beginConfiguration()
{
    return std::make_unique<SimDisplayConfiguration>();
}

std::vector<std::uint32_t> SimDisplays::activeDisplayIds(int maxCount) const
{
    std::vector<std::uint32_t> ids;
    for (const DisplayInfo& d : onlineDisplays(maxCount).value_or(std::vector<DisplayInfo>{}))
        ids.push_back(d.id);
    return ids;
}

} // namespace vantrel
