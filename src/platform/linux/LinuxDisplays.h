#pragma once
// This machine's monitors from the kernel's DRM connectors (<sys>/class/drm/card*-*): a
// connector whose "status" is "connected" is an online display; eDP, LVDS and DSI connectors are
// built-in panels; the EDID gives the vendor, product and serial numbers and the monitor name,
// the first line of "modes" the preferred size. The id is the connector's "connector_id" (else
// its position). A Linux desktop offers no unprivileged way to add a display output or to
// change mirroring from here, so creating a virtual display and configuring mirroring fail.
#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>

#include "platform/Displays.h"

namespace vantrel {

struct EdidIdentity {
    std::uint32_t vendorNumber = 0;
    std::uint32_t modelNumber = 0;
    std::uint32_t serialNumber = 0;
    QString monitorName;
    PixelSize preferredSize;
};

class LinuxDisplays final : public Displays {
public:
    // sysRoot: where sysfs is mounted (Paths::sysfsDirectory(); a fixture folder in tests).
    explicit LinuxDisplays(QString sysRoot);

    std::optional<std::vector<DisplayInfo>> onlineDisplays(int maxCount) const override;
    std::vector<ScreenInfo> screens() const override;
    PixelSize mainDisplayPixelSize() const override;
    std::optional<VirtualDisplayMode> makeMode(std::uint32_t width, std::uint32_t height,
                                               double refreshRate) const override;
    std::unique_ptr<VirtualDisplay> createVirtualDisplay(const VirtualDisplayDescriptor& descriptor) override;
    std::unique_ptr<DisplayConfiguration> beginConfiguration() override;
    std::vector<std::uint32_t> activeDisplayIds(int maxCount) const override;

    // Nothing unless the block is at least 128 bytes with the EDID header.
    static std::optional<EdidIdentity> parseEdid(const QByteArray& edid);
    static bool isBuiltInConnector(const QString& connectorName);

private:
    struct Connector {
        DisplayInfo info;
        QString name;
        PixelSize size;
    };
    // Nothing when the DRM class folder cannot be listed.
    std::optional<std::vector<Connector>> connectors() const;

    QString drmDirectory_;
};

} // namespace vantrel
