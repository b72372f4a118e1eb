#include <cstring>

#include <QFile>

#include <gtest/gtest.h>

#include "base/AtomicFile.h"
#include "platform/SMCParamBlock.h"
#include "platform/sim/SimAccessibilityAccess.h"
#include "platform/sim/SimHardwareState.h"
#include "platform/sim/SimSmcUserClient.h"
#include "support/TempDir.h"

namespace vantrel {
namespace {

TEST(SMCParamBlock, FieldsSitAtTheirOffsetsInHostOrder)
{
    SMCParamBlock b;
    b.key = *smcFourCharCode(QStringLiteral("TG0D"));
    b.dataSize = 4;
    b.dataType = *smcFourCharCode(QStringLiteral("flt "));
    b.dataAttributes = 0x80;
    b.result = 132;
    b.status = 1;
    b.command = SMCParamBlock::commandReadKeyInfo;
    b.data32 = 0xA1B2C3D4;
    b.bytes[0] = 0x11;
    b.bytes[31] = 0x22;
    const auto raw = b.encode();
    ASSERT_EQ(raw.size(), 80u);

    std::uint32_t word = 0;
    std::memcpy(&word, raw.data() + 0, 4);
    EXPECT_EQ(word, 0x54473044u); // 'T' 'G' '0' 'D', first character most significant
    std::memcpy(&word, raw.data() + 28, 4);
    EXPECT_EQ(word, 4u);
    std::memcpy(&word, raw.data() + 32, 4);
    EXPECT_EQ(word, 0x666c7420u);
    EXPECT_EQ(raw[36], 0x80);
    EXPECT_EQ(raw[40], 132);
    EXPECT_EQ(raw[41], 1);
    EXPECT_EQ(raw[42], 9);
    std::memcpy(&word, raw.data() + 44, 4);
    EXPECT_EQ(word, 0xA1B2C3D4u);
    EXPECT_EQ(raw[48], 0x11);
    EXPECT_EQ(raw[79], 0x22);
    for (int i = 4; i < 28; ++i)
        EXPECT_EQ(raw[i], 0) << "reserved byte " << i;
    EXPECT_EQ(raw[37] | raw[38] | raw[39] | raw[43], 0);

    const SMCParamBlock back = SMCParamBlock::decode(raw.data());
    EXPECT_EQ(back.encode(), raw);

    EXPECT_EQ(smcFourCharString(0x54473044u), QStringLiteral("TG0D"));
    EXPECT_EQ(smcFourCharString(*smcFourCharCode(QStringLiteral("FS! "))), QStringLiteral("FS! "));
    EXPECT_FALSE(smcFourCharCode(QStringLiteral("TG0")));
    EXPECT_FALSE(smcFourCharCode(QStringLiteral("TG0DX")));
    EXPECT_FALSE(smcFourCharCode(QString::fromUtf8("T\xc3\xa9XY"))); // four characters, but five bytes
}

// Runs one call of the SMC protocol against a client.
struct Exchange {
    std::int32_t kernel = -1;
    SMCParamBlock out;
};
Exchange call(SmcUserClient& client, std::uint32_t connection, const QString& key, std::uint8_t command,
              std::uint32_t size = 0)
{
    SMCParamBlock in;
    in.key = *smcFourCharCode(key);
    in.command = command;
    in.dataSize = size;
    const auto raw = in.encode();
    std::uint8_t out[80] = {};
    std::size_t outSize = sizeof out;
    Exchange e;
    e.kernel = client.callStructMethod(connection, SMCParamBlock::selector, raw.data(), raw.size(), out, &outSize);
    e.out = SMCParamBlock::decode(out);
    return e;
}

TEST(SimSmcUserClient, AnswersKeyInfoAndValuesFromTheKeyFile)
{
    test::TempDir dir;
    SimSmcUserClient noSimulator(dir.file(QStringLiteral("absent")));
    EXPECT_EQ(noSimulator.open().status, SmcOpenResult::Status::ServiceNotFound);

    dir.write(QStringLiteral("state/smc-keys.txt"), "TG0D flt_ 00003d42\nF0Mx fpe2 1f40\n");
    SimSmcUserClient client(dir.file(QStringLiteral("state")));
    const SmcOpenResult opened = client.open();
    ASSERT_EQ(opened.status, SmcOpenResult::Status::Opened);
    ASSERT_NE(opened.connection, 0u);

    const Exchange info = call(client, opened.connection, QStringLiteral("TG0D"), SMCParamBlock::commandReadKeyInfo);
    EXPECT_EQ(info.kernel, smc::kSuccess);
    EXPECT_EQ(info.out.dataSize, 4u);
    EXPECT_EQ(smcFourCharString(info.out.dataType), QStringLiteral("flt "));
    const Exchange value = call(client, opened.connection, QStringLiteral("TG0D"), SMCParamBlock::commandReadKey, 4);
    EXPECT_EQ(value.kernel, smc::kSuccess);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(value.out.bytes.data()), 4), QByteArray::fromHex("00003d42"));

    // An unknown key: the call succeeds, the SMC result byte says "not found", no size.
    const Exchange unknown = call(client, opened.connection, QStringLiteral("ZZZZ"), SMCParamBlock::commandReadKeyInfo);
    EXPECT_EQ(unknown.kernel, smc::kSuccess);
    EXPECT_EQ(unknown.out.result, SMCParamBlock::resultKeyNotFound);
    EXPECT_EQ(unknown.out.dataSize, 0u);

    // Wrong handle, wrong selector, short blocks.
    EXPECT_EQ(call(client, 0, QStringLiteral("TG0D"), 9).kernel, smc::kInvalidConnection);
    EXPECT_EQ(call(client, opened.connection + 1, QStringLiteral("TG0D"), 9).kernel, smc::kInvalidConnection);
    std::uint8_t in[80] = {}, out[80] = {};
    std::size_t outSize = 80;
    EXPECT_EQ(client.callStructMethod(opened.connection, 3, in, 80, out, &outSize), smc::kBadArgument);
    EXPECT_EQ(client.callStructMethod(opened.connection, 2, in, 40, out, &outSize), smc::kBadArgument);

    // The simulator replaces the file after a step: the next read sees the new value.
    ASSERT_TRUE(writeFileAtomically(dir.file(QStringLiteral("state/smc-keys.txt")), "TG0D flt_ 00004842\n"));
    const Exchange after = call(client, opened.connection, QStringLiteral("TG0D"), SMCParamBlock::commandReadKey, 4);
    EXPECT_EQ(after.out.bytes[2], 0x48);
    EXPECT_EQ(call(client, opened.connection, QStringLiteral("F0Mx"), 9).out.result, SMCParamBlock::resultKeyNotFound);

    // A vanished key file: every key is unknown, nothing fails harder.
    QFile::remove(dir.file(QStringLiteral("state/smc-keys.txt")));
    EXPECT_EQ(call(client, opened.connection, QStringLiteral("TG0D"), 9).out.result, SMCParamBlock::resultKeyNotFound);

    client.close(opened.connection);
    EXPECT_EQ(call(client, opened.connection, QStringLiteral("TG0D"), 9).kernel, smc::kInvalidConnection);
}

TEST(SimHardwareState, ReadsThePublishedHardwareFile)
{
    test::TempDir dir;
    SimHardwareState missing(dir.file(QStringLiteral("state")));
    EXPECT_FALSE(missing.firstPowerSourceDescription());
    EXPECT_FALSE(missing.smartBatteryProperties());
    EXPECT_FALSE(missing.batteryStatus().launched);
    EXPECT_FALSE(missing.hardwareOverview());
    EXPECT_FALSE(missing.macOSVersion());

    dir.write(QStringLiteral("state/hardware.json"), R"json({
        "macos_version": "14.6.1", "model_identifier": "Mac14,10", "model_name": "MacBook Pro", "marketing_name": "MacBook Pro (16-inch, 2023)",
        "adapter_connected": true, "lid_closed": false, "external_display_count": 0,
        "power_source": {"Current Capacity": 80, "Max Capacity": 100, "Is Charging": false, "Power Source State": "AC Power"},
        "battery_registry": {"CycleCount": 212, "DesignCapacity": 8693, "AppleRawMaxCapacity": 7950},
        "pmset_batt": "Now drawing from 'AC Power'\n -InternalBattery-0 (id=1)\t80%; AC attached; not charging present: true\n",
        "platform": {}
    })json");
    SimHardwareState sim(dir.file(QStringLiteral("state")));
    EXPECT_EQ(sim.firstPowerSourceDescription()->value("Current Capacity").toInt(), 80);
    EXPECT_EQ(sim.smartBatteryProperties()->value("AppleRawMaxCapacity").toInt(), 7950);
    EXPECT_TRUE(sim.batteryStatus().standardOutput.contains("80%;"));
    EXPECT_EQ(sim.batteryStatus().exitStatus, 0);
    EXPECT_EQ(*sim.hardwareOverview(),
              (HardwareOverview{QStringLiteral("MacBook Pro"), QStringLiteral("Mac14,10"),
                                QStringLiteral("MacBook Pro (16-inch, 2023)")}));
    EXPECT_EQ(sim.macOSVersion(), QStringLiteral("14.6.1"));

    // A desktop: no power source and no registry entry; garbage is no file at all.
    dir.write(QStringLiteral("state/hardware.json"),
              R"({"model_identifier": "Mac14,13", "power_source": null, "battery_registry": null})");
    EXPECT_FALSE(sim.firstPowerSourceDescription());
    EXPECT_FALSE(sim.smartBatteryProperties());
    EXPECT_FALSE(sim.batteryStatus().launched);
    EXPECT_EQ(sim.hardwareOverview()->modelIdentifier, QStringLiteral("Mac14,13"));
    dir.write(QStringLiteral("state/hardware.json"), "{\"power_source\": {\"Current Cap");
    EXPECT_FALSE(sim.firstPowerSourceDescription());
}

TEST(SimAccessibilityAccess, FollowsThePrivacyFlagsOfTheSimulatedMac)
{
    test::TempDir dir;
    SimAccessibilityAccess access(dir.file(QStringLiteral("state")));
    EXPECT_FALSE(access.isProcessTrusted()) << "no simulator: not granted";
    dir.write(QStringLiteral("state/hardware.json"), R"({"platform": {"accessibility_trusted": false}})");
    EXPECT_FALSE(access.isProcessTrusted());
    EXPECT_FALSE(access.probeSystemEventsAutomation());
    dir.write(QStringLiteral("state/hardware.json"),
              R"({"platform": {"accessibility_trusted": true, "automation_allowed": true}})");
    EXPECT_TRUE(access.isProcessTrusted());
    EXPECT_TRUE(access.probeSystemEventsAutomation());
    dir.write(QStringLiteral("state/hardware.json"), R"({"platform": {"accessibility_trusted": "yes"}})");
    EXPECT_FALSE(access.isProcessTrusted()) << "only a real boolean grants it";
}

} // namespace
} // namespace vantrel
