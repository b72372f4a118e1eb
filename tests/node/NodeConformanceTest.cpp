// vantrel-node answers the shared protocol cases over its socket, and the commands whose answer
// depends on this being a Linux machine: the profile from DMI or the device tree, and updates.
#include <unistd.h>

#include <gtest/gtest.h>

#include "NodeTestSupport.h"
#include "conformance/DaemonConformance.h"
#include "daemonserver/DaemonServer.h"

using namespace vantrel;
using test::FakeNode;
using test::FakeSysfsTree;

namespace {

class NodeUnderTest final : public test::DaemonUnderTest {
public:
    NodeUnderTest()
    {
        // The test process is the daemon's own user here, so it may change the machine.
        node.daemon = std::make_unique<node::NodeDaemon>(
            node::NodeConfig{node.dir.path(), node.dir.file(QStringLiteral("var/lib/vantrel")),
                             FakeSysfsTree::kernelWriter()},
            node.dispatch, node.inhibitors,
            std::make_shared<node::Authorizer>(node.sessions, node.groups, ::geteuid()));
        node.daemon->start();
        QString error;
        EXPECT_TRUE(server.start(&error)) << error.toStdString();
    }
    QString socketPath() const override { return server.socketPath(); }
    bool hasBattery() const override { return true; }

private:
    FakeNode node{test::buildThinkpad, false};
    daemonserver::DaemonServer server{[this](const QByteArray& request, const daemonserver::PeerCredentials& peer) {
        return node.daemon->respond(request, peer);
                                      },
                                      node.dir.file(QStringLiteral("tmp/vantrel_daemon.sock"))};
};

struct NodeFactory {
    static std::unique_ptr<test::DaemonUnderTest> make() { return std::make_unique<NodeUnderTest>(); }
};

} // namespace

namespace vantrel::test {
INSTANTIATE_TYPED_TEST_SUITE_P(Node, DaemonConformance, ::NodeFactory);
}

TEST(NodeReadbacks, StatusAndProfileComeFromTheTree)
{
    FakeNode thinkpad;
    const auto status = thinkpad.call("get_status");
    EXPECT_DOUBLE_EQ(status["cpu_temp"].toDouble(), 52.0) << "coretemp's package sensor";
    EXPECT_EQ(status["fan0"].toInt(), 2890);
    EXPECT_EQ(status["fan1"].toInt(), 2740);
    EXPECT_EQ(status["battery_percent"].toInt(), 79) << "capacity, not energy_now / energy_full";
    const auto profile = thinkpad.call("get_hardware_profile");
    EXPECT_EQ(profile["model_identifier"].toString(), "LENOVO 21CB");
    EXPECT_EQ(profile["model_name"].toString(), "ThinkPad T14 Gen 3");
    EXPECT_EQ(profile["fan_count"].toInt(), 2);
    EXPECT_TRUE(profile["has_battery"].toBool());
    EXPECT_TRUE(profile["supports_safe_fan_control"].toBool()) << "thinkpad_acpi is on the safe list";
    EXPECT_TRUE(profile["supports_clamshell"].toBool());
    EXPECT_FALSE(profile["desktop_class"].toBool());
    const auto snapshot = thinkpad.call("get_system_snapshot");
    EXPECT_DOUBLE_EQ(snapshot["ssd"]["temperature_celsius"].toDouble(), 38.85);
    EXPECT_EQ(snapshot["battery_activity"]["power_source"].toString(), "AC Power");
    EXPECT_EQ(thinkpad.call("get_power_policy_state")["battery_percent"].toInt(), 79);

    // A desktop with read-only fans and only a mouse's battery.
    FakeNode desktop([](const QString& root) {
        FakeSysfsTree::desktop(root);
        FakeSysfsTree::readOnlyFans(root);
        FakeSysfsTree::write(root, QStringLiteral("sys/class/dmi/id/product_name"), "B650 AORUS\n");
        FakeSysfsTree::write(root, QStringLiteral("sys/class/dmi/id/chassis_type"), "3\n");
    });
    const auto tower = desktop.call("get_hardware_profile");
    EXPECT_FALSE(tower["has_battery"].toBool());
    EXPECT_FALSE(tower["supports_safe_fan_control"].toBool()) << "dell_smm / nct6798 are not on the safe list";
    EXPECT_FALSE(tower["supports_clamshell"].toBool());
    EXPECT_TRUE(tower["desktop_class"].toBool());
    EXPECT_FALSE(desktop.call("get_status").contains("battery_percent"));
    EXPECT_EQ(desktop.call("set_battery_config", test::conformanceBatteryConfig())["reason"].toString(), "no_battery");
    EXPECT_EQ(desktop.call("set_fan_rpm", {{"index", 0}, {"rpm", 2000}})["code"].toString(),
              "ERR_FAN_CONTROL_UNSUPPORTED");

    // Apple silicon under Linux: no DMI, the model from the device tree.
    FakeNode mac([](const QString& root) {
        FakeSysfsTree::appleSiliconMac(root);
        FakeSysfsTree::write(root, QStringLiteral("proc/device-tree/model"),
                             QByteArray("Apple MacBook Air (M2, 2022)\0", 29));
    });
    EXPECT_EQ(mac.call("get_hardware_profile")["model_identifier"].toString(), "Apple MacBook Air (M2, 2022)");
}

TEST(NodeUpdates, EveryUpdateCommandAnswersUnsupportedPlatform)
{
    FakeNode node;
    for (const char* cmd : {"verify_update_package", "install_update_package", "get_update_installation_state",
                            "ack_update_app_relaunch"}) {
        const auto reply = node.call(cmd, {{"pkg_path", "/tmp/x.pkg"}, {"transaction_id", "t"}});
        EXPECT_EQ(reply["status"].toString(), "error") << cmd;
        EXPECT_EQ(reply["code"].toString(), "ERR_UNSUPPORTED_PLATFORM") << cmd;
        EXPECT_FALSE(reply["message"].toString().isEmpty()) << cmd;
    }
}

TEST(NodeReadbacks, EachMachineIsAnsweredFromItsOwnTree)
{
    const QString end = QStringLiteral("charge_control_end_threshold");

    FakeNode dell(FakeSysfsTree::dellLaptop);
    EXPECT_EQ(dell.call("get_status")["battery_percent"].toInt(), 64);
    auto snapshot = dell.call("get_system_snapshot");
    EXPECT_EQ(snapshot["battery_activity"].toObject()["state"].toString(), "discharging");
    EXPECT_EQ(snapshot["battery_activity"].toObject()["power_source"].toString(), "Battery Power");
    auto limit = dell.call("set_charge_limit", {{"limit", 80}});
    EXPECT_EQ(limit["status"].toString(), "ok");
    EXPECT_EQ(dell.file("sys/class/power_supply/BAT0/" + end), "80");

    // Framework: mains and a USB-C source online, BAT1 charging; no battery temperature.
    FakeNode framework(FakeSysfsTree::frameworkLaptop);
    EXPECT_EQ(framework.call("get_status")["battery_percent"].toInt(), 42);
    EXPECT_TRUE(framework.call("get_power_policy_state")["external_power_connected"].toBool());
    EXPECT_EQ(framework.call("get_system_snapshot")["battery_activity"].toObject()["state"].toString(), "charging");
    const auto applied = framework.call("set_battery_config", test::conformanceBatteryConfig(80));
    EXPECT_EQ(applied["status"].toString(), "partial");
    EXPECT_TRUE(applied["last_charge_apply"].toObject()["charge_protector_ok"].toBool());
    EXPECT_EQ(applied["last_charge_apply"].toObject()["heat_protection_code"].toString(), "no_battery_temperature");
    EXPECT_EQ(framework.file("sys/class/power_supply/BAT1/" + end), "80");
    EXPECT_EQ(framework.file("sys/class/power_supply/BAT1/charge_control_start_threshold"), "75");

    // Apple silicon: the percent is capacity (charge_now / charge_full would say 900 %), and the
    // limit is one of the two the driver takes.
    FakeNode mac(FakeSysfsTree::appleSiliconMac);
    EXPECT_EQ(mac.call("get_status")["battery_percent"].toInt(), 73);
    EXPECT_DOUBLE_EQ(mac.call("get_power_policy_state")["battery_temperature"].toDouble(), 30.6);
    limit = mac.call("set_charge_limit", {{"limit", 75}});
    EXPECT_EQ(limit["status"].toString(), "ok");
    const int taken = limit["applied_limit"].toInt();
    EXPECT_TRUE(taken == 80 || taken == 100) << taken;
    EXPECT_EQ(mac.file("sys/class/power_supply/macsmc-battery/" + end), QString::number(taken));
    const auto macConfig = mac.call("set_battery_config", test::conformanceBatteryConfig(80));
    EXPECT_TRUE(macConfig["last_charge_apply"].toObject()["heat_protection_ok"].toBool());
    EXPECT_FALSE(macConfig["last_charge_apply"].toObject()["charge_protector_ok"].toBool()) << "no start threshold";

    // IdeaPad: conservation mode is the only limit there is.
    FakeNode ideapad(FakeSysfsTree::ideapadLaptop);
    limit = ideapad.call("set_charge_limit", {{"limit", 80}});
    EXPECT_EQ(limit["status"].toString(), "ok");
    EXPECT_EQ(ideapad.file("sys/bus/platform/drivers/ideapad_acpi/VPC2004:00/conservation_mode"), "1");
    EXPECT_EQ(ideapad.call("get_hardware_profile")["supports_battery_smc_control"].toBool(), true);
}
