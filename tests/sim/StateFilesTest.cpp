// smc-keys.txt and hardware.json: the files the smc tool and the sim platform backend read.
#include <QJsonArray>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include "SimTestSupport.h"
#include "base/AtomicFile.h"
#include "base/JsonAccess.h"
#include "smc/SmcKeyFile.h"

using namespace vantrel;
using namespace vantrel::sim;
using test::call;
using test::statusOf;

namespace {

smc::SmcKeyFile keyFile(SimDaemon& daemon)
{
    return smc::SmcKeyFile::parse(readFile(daemon.smcKeysPath()).value_or(QByteArray()).toStdString());
}

QJsonObject hardware(SimDaemon& daemon)
{
    return json::parseObject(readFile(daemon.hardwarePath()).value_or(QByteArray())).value_or(QJsonObject());
}

double key(const smc::SmcKeyFile& file, const char* name)
{
    const auto* e = file.find(name);
    return e ? e->value().value_or(-1) : -1;
}

} // namespace

TEST(StateFiles, KeyStoreHoldsTheCatalogueWithRealTypesAndFollowsTheModel)
{
    test::TempDir dir;
    SimDaemon daemon(test::simConfig(dir));
    auto file = keyFile(daemon);
    EXPECT_EQ(file.skippedLines(), 0);
    for (const char* k :
         {"TPMP", "TPDX", "TCHP", "TCMz", "TG0D", "TPVD", "TB0T", "TB1T", "TB2T", "TD00", "TD10", "TAOL", "Ts0P",
          "Ts1P", "TMVR", "F0Ac", "F1Ac", "PSTR", "PCPC", "ACID", "F0Mx", "F1Mx", "FNum", "CHIE", "BCLM"}) {
        SCOPED_TRACE(k);
        const auto* e = file.find(k);
        ASSERT_NE(e, nullptr);
        EXPECT_TRUE(e->value());
    }
    EXPECT_EQ(file.find("F0Ac")->type, smc::SmcType::Flt);
    EXPECT_EQ(file.find("FNum")->type, smc::SmcType::Ui8);
    EXPECT_EQ(file.find("B0CT")->type, smc::SmcType::Ui16);
    EXPECT_EQ(file.find("CLKS")->type, smc::SmcType::Ui32);
    EXPECT_EQ(file.find("TC0P")->type, smc::SmcType::Sp78);
    EXPECT_EQ(file.find("F0Sf")->type, smc::SmcType::Fpe2);
    EXPECT_EQ(key(file, "F0Mx"), 5700);
    EXPECT_EQ(key(file, "FNum"), 2);
    for (const auto& e : file.entries()) {
        if (e.key[0] == 'T') {
            EXPECT_TRUE(e.value() > 0 && e.value() < 150) << e.key << " is a plausible temperature";
        }
    }

    const double idleCpu = key(file, "TPMP");
    const double idleFan = key(file, "F0Ac");
    call(daemon, "sim_load", {{"cpu_percent", 100}, {"gpu_percent", 80}});
    test::step(daemon, 600);
    file = keyFile(daemon);
    EXPECT_GT(key(file, "TPMP"), idleCpu + 20);
    EXPECT_GT(key(file, "F0Ac"), idleFan + 1000);
    EXPECT_GT(key(file, "PCPC"), 20);
    EXPECT_GT(key(file, "PSTR"), key(file, "PCPC"));
    EXPECT_NEAR(key(file, "TPMP"), call(daemon, "get_status")["cpu_temp"].toDouble(), 0.01)
        << "socket and key store agree";

    test::TempDir other;
    SimDaemon desktop(test::simConfig(other, MachineProfile::desktop()));
    const auto desktopKeys = keyFile(desktop);
    EXPECT_TRUE(desktopKeys.find("F0Ac"));
    EXPECT_FALSE(desktopKeys.find("F1Ac"));
    EXPECT_FALSE(desktopKeys.find("TB0T"));
    EXPECT_TRUE(desktopKeys.find("CHIE")) << "the helper installer's probe key exists on every Mac";
}

TEST(StateFiles, HardwareDescriptionFollowsAdapterLidDisplaysAndPlatformRequests)
{
    test::TempDir dir;
    SimDaemon daemon(test::simConfig(dir));
    test::step(daemon, 2);
    QJsonObject hw = hardware(daemon);
    EXPECT_EQ(hw["model_identifier"].toString(), "Mac15,6");
    EXPECT_TRUE(hw["marketing_name"].isString());
    EXPECT_EQ(hw["macos_version"].toString(), "15.3.1");
    EXPECT_TRUE(hw["adapter_connected"].toBool());
    QJsonObject source = hw["power_source"].toObject();
    EXPECT_EQ(source["Power Source State"].toString(), "AC Power");
    EXPECT_EQ(source["Current Capacity"].toInt(), 72);
    EXPECT_EQ(source["Max Capacity"].toInt(), 100);
    EXPECT_TRUE(source["Is Charging"].toBool());
    EXPECT_EQ(source["AdapterDetailsWatts"].toInt(), 70);
    EXPECT_TRUE(source["Time to Full Charge"].isDouble());
    EXPECT_TRUE(source["BatteryHealth"].isString());
    const QJsonObject registry = hw["battery_registry"].toObject();
    EXPECT_EQ(registry["DesignCapacity"].toInt(), 6075);
    EXPECT_EQ(registry["AppleRawMaxCapacity"].toInt(), 5731);
    EXPECT_EQ(registry["CycleCount"].toInt(), 128);
    // The application takes the first "<digits>%" of the pmset text.
    const auto percent = QRegularExpression("(\\d+)%").match(hw["pmset_batt"].toString());
    ASSERT_TRUE(percent.hasMatch());
    EXPECT_EQ(percent.captured(1).toInt(), 72);
    EXPECT_TRUE(hw["pmset_batt"].toString().startsWith("Now drawing from 'AC Power'"));

    call(daemon, "sim_adapter", {{"connected", false}});
    call(daemon, "sim_lid", {{"closed", true}});
    call(daemon, "sim_displays", {{"external_count", 2}});
    const int id = call(daemon, "sim_platform",
                        {{"action", "create_assertion"},
                         {"type", "PreventSystemSleep"},
                         {"name", "Vantrel Keep-Alive"}})["assertion_id"]
                       .toInt();
    EXPECT_GT(id, 0);
    call(daemon, "sim_platform", {{"action", "lock_screen"}});
    call(daemon, "sim_platform", {{"action", "set_virtual_display"}, {"active", true}});
    call(daemon, "sim_platform", {{"action", "set_shield_visible"}, {"visible", true}});
    test::step(daemon, 2);
    hw = hardware(daemon);
    EXPECT_FALSE(hw["adapter_connected"].toBool());
    EXPECT_TRUE(hw["lid_closed"].toBool());
    EXPECT_EQ(hw["external_display_count"].toInt(), 2);
    source = hw["power_source"].toObject();
    EXPECT_EQ(source["Power Source State"].toString(), "Battery Power");
    EXPECT_FALSE(source.contains("AdapterDetailsWatts"));
    EXPECT_TRUE(source["Time to Empty"].isDouble());
    EXPECT_TRUE(hw["pmset_batt"].toString().contains("discharging"));
    const QJsonObject platform = hw["platform"].toObject();
    ASSERT_EQ(platform["assertions"].toArray().size(), 1);
    EXPECT_EQ(platform["assertions"][0]["type"].toString(), "PreventSystemSleep");
    EXPECT_EQ(platform["screen_lock_requests"].toInt(), 1);
    EXPECT_TRUE(platform["virtual_display_active"].toBool());
    EXPECT_TRUE(platform["shield_visible"].toBool());
    EXPECT_EQ(statusOf(call(daemon, "sim_platform", {{"action", "release_assertion"}, {"assertion_id", id}})), "ok");
    EXPECT_EQ(call(daemon, "sim_platform", {{"action", "release_assertion"}, {"assertion_id", id}})["code"].toString(),
              "ERR_NO_SUCH_ASSERTION");
    EXPECT_TRUE(hardware(daemon)["platform"].toObject()["assertions"].toArray().isEmpty());
    EXPECT_EQ(statusOf(call(daemon, "sim_platform", {{"action", "dance"}})), "error");

    // Privacy: a fresh Mac grants nothing; granting survives a platform reset; bad values are refused.
    EXPECT_FALSE(hardware(daemon)["platform"].toObject()["accessibility_trusted"].toBool());
    EXPECT_EQ(statusOf(call(daemon, "sim_platform", {{"action", "set_accessibility"}, {"trusted", "yes"}})), "error");
    EXPECT_EQ(statusOf(call(daemon, "sim_platform",
                            {{"action", "set_accessibility"}, {"trusted", true}, {"automation_allowed", true}})),
              "ok");
    call(daemon, "sim_platform", {{"action", "reset"}});
    test::step(daemon, 1);
    const QJsonObject privacy = hardware(daemon)["platform"].toObject();
    EXPECT_TRUE(privacy["accessibility_trusted"].toBool());
    EXPECT_TRUE(privacy["automation_allowed"].toBool());

    test::TempDir other;
    SimDaemon desktop(test::simConfig(other, MachineProfile::desktop()));
    const QJsonObject dhw = hardware(desktop);
    EXPECT_TRUE(dhw["power_source"].isNull());
    EXPECT_TRUE(dhw["battery_registry"].isNull());
    EXPECT_FALSE(QRegularExpression("(\\d+)%").match(dhw["pmset_batt"].toString()).hasMatch());
    EXPECT_EQ(call(desktop, "sim_adapter", {{"connected", false}})["code"].toString(), "ERR_NO_BATTERY");
}

TEST(StateFiles, VirtualDisplayEntryKeepsItsDescriptionAndAFreshIdPerCreation)
{
    test::TempDir dir;
    SimDaemon daemon(test::simConfig(dir));
    QJsonObject hw = hardware(daemon);
    EXPECT_EQ(hw["built_in_display"].toObject()["width"].toInt(), 3024);
    EXPECT_EQ(hw["built_in_display"].toObject()["height"].toInt(), 1964);
    EXPECT_TRUE(hw["platform"].toObject()["virtual_display"].isNull());

    const QJsonObject described{{"action", "set_virtual_display"},
                                {"active", true},
                                {"name", "Vantrel Virtual Clamshell"},
                                {"width", 3024},
                                {"height", 1964},
                                {"vendor_id", 22136},
                                {"product_id", 4660},
                                {"serial_number", 1}};
    const int first = call(daemon, "sim_platform", described)["display_id"].toInt();
    EXPECT_GT(first, 0);
    // Described again while on: same display.
    EXPECT_EQ(call(daemon, "sim_platform", described)["display_id"].toInt(), first);
    QJsonObject display = hardware(daemon)["platform"].toObject()["virtual_display"].toObject();
    EXPECT_EQ(display["id"].toInt(), first);
    EXPECT_EQ(display["name"].toString(), "Vantrel Virtual Clamshell");
    EXPECT_EQ(display["width"].toInt(), 3024);
    EXPECT_EQ(display["vendor_id"].toInt(), 22136);
    EXPECT_EQ(display["product_id"].toInt(), 4660);
    EXPECT_EQ(display["serial_number"].toInt(), 1);

    call(daemon, "sim_platform", {{"action", "set_virtual_display"}, {"active", false}});
    hw = hardware(daemon);
    EXPECT_FALSE(hw["platform"].toObject()["virtual_display_active"].toBool());
    EXPECT_TRUE(hw["platform"].toObject()["virtual_display"].isNull());
    const int second = call(daemon, "sim_platform", described)["display_id"].toInt();
    EXPECT_NE(second, first);

    QJsonObject bad = described;
    bad["width"] = -1;
    EXPECT_EQ(call(daemon, "sim_platform", bad)["code"].toString(), "ERR_INVALID_ARGUMENT");
    bad = described;
    bad.remove("active");
    EXPECT_EQ(statusOf(call(daemon, "sim_platform", bad)), "error");

    test::TempDir other;
    SimDaemon desktop(test::simConfig(other, MachineProfile::desktop()));
    EXPECT_TRUE(hardware(desktop)["built_in_display"].isNull());
}
