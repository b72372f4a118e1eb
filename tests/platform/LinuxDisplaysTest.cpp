#include <gtest/gtest.h>

#include "platform/linux/LinuxDisplays.h"
#include "support/TempDir.h"

namespace vantrel {
namespace {

// A 128-byte EDID base block: vendor (PNP id as stored), product, serial, a preferred timing
// of width x height in the first descriptor and the monitor name in the second.
QByteArray edid(std::uint16_t vendor, std::uint16_t product, std::uint32_t serial, int width, int height,
                const QByteArray& name)
{
    QByteArray b(128, '\0');
    const QByteArray header = QByteArray::fromHex("00ffffffffffff00");
    b.replace(0, 8, header);
    b[8] = static_cast<char>(vendor >> 8);
    b[9] = static_cast<char>(vendor & 0xFF);
    b[10] = static_cast<char>(product & 0xFF);
    b[11] = static_cast<char>(product >> 8);
    for (int i = 0; i < 4; ++i)
        b[12 + i] = static_cast<char>((serial >> (8 * i)) & 0xFF);
    b[54] = 0x01; // pixel clock, so this is a timing
    b[55] = 0x1D;
    b[56] = static_cast<char>(width & 0xFF);
    b[58] = static_cast<char>((width >> 8) << 4);
    b[59] = static_cast<char>(height & 0xFF);
    b[61] = static_cast<char>((height >> 8) << 4);
    b[75] = static_cast<char>(0xFC);
    QByteArray text = name + '\n';
    text.append(QByteArray(13 - text.size(), ' '));
    b.replace(77, 13, text);
    return b;
}

TEST(LinuxDisplays, ConnectedDrmConnectorsAreTheOnlineDisplays)
{
    test::TempDir dir;
    dir.write("sys/class/drm/card0/dev", "226:0\n");
    dir.write("sys/class/drm/card0-eDP-1/status", "connected\n");
    dir.write("sys/class/drm/card0-eDP-1/connector_id", "77\n");
    dir.write("sys/class/drm/card0-eDP-1/edid", edid(0x0610, 0xA050, 0, 3024, 1964, "Color LCD"));
    dir.write("sys/class/drm/card0-eDP-1/modes", "2560x1600\n1920x1200\n");
    dir.write("sys/class/drm/card0-HDMI-A-1/status", "disconnected\n");
    dir.write("sys/class/drm/card1-DP-2/status", "connected\n");
    dir.write("sys/class/drm/card1-DP-2/edid", edid(0x10AC, 0xA0C4, 123456789, 3840, 2160, "DELL U2720Q"));
    dir.write("sys/class/drm/card1-DP-3/status", "connected\n");
    dir.write("sys/class/drm/card1-DP-3/edid", QByteArray(64, '\x01'));

    LinuxDisplays displays(dir.file("sys"));
    const auto online = displays.onlineDisplays(16);
    ASSERT_TRUE(online);
    ASSERT_EQ(online->size(), 3u);
    const DisplayInfo& panel = (*online)[0];
    EXPECT_EQ(panel.id, 77u);
    EXPECT_TRUE(panel.builtIn);
    EXPECT_EQ(panel.vendorNumber, 0x0610u);
    EXPECT_EQ(panel.modelNumber, 0xA050u);
    const DisplayInfo& monitor = (*online)[1];
    EXPECT_EQ(monitor.id, 3u) << "without connector_id, the position among the connectors";
    EXPECT_FALSE(monitor.builtIn);
    EXPECT_EQ(monitor.vendorNumber, 0x10ACu);
    EXPECT_EQ(monitor.modelNumber, 0xA0C4u);
    EXPECT_EQ(monitor.serialNumber, 123456789u);
    const DisplayInfo& unreadable = (*online)[2];
    EXPECT_EQ(unreadable.vendorNumber, 0u);
    EXPECT_EQ(displays.onlineDisplays(2)->size(), 2u);

    const auto screens = displays.screens();
    ASSERT_EQ(screens.size(), 3u);
    EXPECT_EQ(screens[0].localizedName, QStringLiteral("Color LCD"));
    EXPECT_EQ(screens[1].localizedName, QStringLiteral("DELL U2720Q"));
    EXPECT_EQ(screens[2].localizedName, QStringLiteral("DP-3"));

    // The panel's first listed mode wins over its EDID timing.
    EXPECT_EQ(displays.mainDisplayPixelSize().width, 2560u);
    EXPECT_EQ(displays.mainDisplayPixelSize().height, 1600u);

    EXPECT_EQ(displays.createVirtualDisplay(VirtualDisplayDescriptor{}), nullptr);
    EXPECT_EQ(displays.beginConfiguration(), nullptr);
}

TEST(LinuxDisplays, MainDisplayWithoutAPanelAndWithoutDrm)
{
    test::TempDir dir;
    dir.write("sys/class/drm/card0-HDMI-A-1/status", "connected\n");
    dir.write("sys/class/drm/card0-HDMI-A-1/edid", edid(0x10AC, 1, 2, 3840, 2160, "DELL"));
    LinuxDisplays displays(dir.file("sys"));
    EXPECT_EQ(displays.mainDisplayPixelSize().width, 3840u) << "the EDID's preferred timing";
    EXPECT_EQ(displays.mainDisplayPixelSize().height, 2160u);

    LinuxDisplays none(dir.file("missing"));
    EXPECT_FALSE(none.onlineDisplays(16));
    EXPECT_TRUE(none.screens().empty());
    EXPECT_EQ(none.mainDisplayPixelSize().width, 0u);
    EXPECT_FALSE(LinuxDisplays::parseEdid(QByteArray(127, '\0')));
}

} // namespace
} // namespace vantrel
