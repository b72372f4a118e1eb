#include "platform/linux/LinuxSystemProfiler.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace vantrel {
namespace {

TEST(LinuxSystemProfiler, NamesTheMachineFromDmiOrTheDeviceTree)
{
    test::TempDir intelMac;
    intelMac.write(QStringLiteral("sys/class/dmi/id/product_name"), "MacBookPro16,1\n");
    intelMac.write(QStringLiteral("sys/class/dmi/id/product_family"), "MacBook Pro\n");
    intelMac.write(QStringLiteral("sys/class/dmi/id/product_version"), "1.0\n");
    intelMac.write(QStringLiteral("sys/class/dmi/id/sys_vendor"), "Apple Inc.\n");
    EXPECT_EQ(*LinuxSystemProfiler(intelMac.file(QStringLiteral("sys"))).hardwareOverview(),
              (HardwareOverview{QStringLiteral("MacBook Pro"), QStringLiteral("MacBookPro16,1"),
                                QStringLiteral("Apple Inc. MacBook Pro")}));

    test::TempDir thinkpad;
    thinkpad.write(QStringLiteral("sys/class/dmi/id/product_name"), "20XW0055GE\n");
    thinkpad.write(QStringLiteral("sys/class/dmi/id/product_version"), "ThinkPad X1 Carbon Gen 9\n");
    thinkpad.write(QStringLiteral("sys/class/dmi/id/product_family"), "To be filled by O.E.M.\n");
    thinkpad.write(QStringLiteral("sys/class/dmi/id/sys_vendor"), "LENOVO\n");
    const auto t = LinuxSystemProfiler(thinkpad.file(QStringLiteral("sys"))).hardwareOverview();
    ASSERT_TRUE(t);
    EXPECT_EQ(t->modelName, QStringLiteral("20XW0055GE"));
    EXPECT_EQ(t->marketingName, QStringLiteral("LENOVO ThinkPad X1 Carbon Gen 9"));

    test::TempDir asahi;
    asahi.write(QStringLiteral("sys/firmware/devicetree/base/model"),
                QByteArray("Apple MacBook Pro (14-inch, M1 Pro, 2021)\0", 42));
    asahi.write(QStringLiteral("sys/firmware/devicetree/base/compatible"),
                QByteArray("apple,j314s\0apple,t6000\0apple,arm-platform\0", 44));
    const auto a = LinuxSystemProfiler(asahi.file(QStringLiteral("sys"))).hardwareOverview();
    ASSERT_TRUE(a);
    EXPECT_EQ(a->modelIdentifier, QStringLiteral("apple,j314s"));
    EXPECT_EQ(a->marketingName, QStringLiteral("Apple MacBook Pro (14-inch, M1 Pro, 2021)"));

    test::TempDir placeholder;
    placeholder.write(QStringLiteral("sys/class/dmi/id/product_name"), "System Product Name\n");
    EXPECT_FALSE(LinuxSystemProfiler(placeholder.file(QStringLiteral("sys"))).hardwareOverview());
    EXPECT_FALSE(LinuxSystemProfiler(placeholder.file(QStringLiteral("nothing"))).hardwareOverview());
}

} // namespace
} // namespace vantrel
