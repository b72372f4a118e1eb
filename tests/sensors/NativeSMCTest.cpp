#include "sensors/NativeSMC.h"

#include <gtest/gtest.h>

#include "platform/SMCParamBlock.h"
#include "platform/fakes/FakeSmcUserClient.h"
#include "support/LogCapture.h"

namespace vantrel {
namespace {

std::array<std::uint8_t, 32> bytes(std::initializer_list<std::uint8_t> b)
{
    std::array<std::uint8_t, 32> out{};
    std::copy(b.begin(), b.end(), out.begin());
    return out;
}

TEST(NativeSMC, DecodesEverySmcDataType)
{
    EXPECT_DOUBLE_EQ(*NativeSMC::decode(QStringLiteral("sp78"), bytes({0x2D, 0x80})), 45.5);
    EXPECT_DOUBLE_EQ(*NativeSMC::decode(QStringLiteral("sp78"), bytes({0xFF, 0x00})), 255.0); // unsigned word
    EXPECT_DOUBLE_EQ(*NativeSMC::decode(QStringLiteral("fpe2"), bytes({0x1F, 0x40})), 2000.0);
    EXPECT_DOUBLE_EQ(*NativeSMC::decode(QStringLiteral("fpe2"), bytes({0x1F, 0x43})), 2000.0); // fraction bits dropped
    EXPECT_DOUBLE_EQ(*NativeSMC::decode(QStringLiteral("flt "), bytes({0x00, 0x00, 0x3d, 0x42})), 47.25);
    EXPECT_DOUBLE_EQ(*NativeSMC::decode(QStringLiteral("ui8 "), bytes({0xC8, 0xFF})), 200.0);
    EXPECT_DOUBLE_EQ(*NativeSMC::decode(QStringLiteral("ui16"), bytes({0x17, 0x70})), 6000.0);
    EXPECT_DOUBLE_EQ(*NativeSMC::decode(QStringLiteral("ui32"), bytes({0xFF, 0xFF, 0xFF, 0xFE})), 4294967294.0);
    EXPECT_FALSE(NativeSMC::decode(QStringLiteral("si16"), bytes({1, 2})));
    EXPECT_FALSE(NativeSMC::decode(QStringLiteral("flt"), bytes({1, 2})));
}

TEST(NativeSMC, ReadsKeyInfoThenValueOverTheUserClient)
{
    auto client = std::make_shared<test::FakeSmcUserClient>();
    client->setKey(QStringLiteral("F0Mx"), QStringLiteral("fpe2"), QByteArray::fromHex("1f40"));
    client->setKey(QStringLiteral("F1Mx"), QStringLiteral("flt "), QByteArray::fromHex("00c0da45")); // 7000
    client->setKey(QStringLiteral("TC0P"), QStringLiteral("sp78"), QByteArray::fromHex("0000"));
    client->setKey(QStringLiteral("F0Md"), QStringLiteral("ui8 "), QByteArray::fromHex("00"));
    client->setKey(QStringLiteral("FS! "), QStringLiteral("ui16"), QByteArray::fromHex("0000"));
    client->setKey(QStringLiteral("BIGV"), QStringLiteral("ui8 "), QByteArray(40, '\x05'));
    client->failKey(QStringLiteral("TB0T"), smc::kBadArgument, SMCParamBlock::commandReadKey);

    test::LogCapture log;
    NativeSMC smc(client);
    EXPECT_TRUE(log.contains(QStringLiteral("NativeSMC: Successfully connected to AppleSMC.")));

    SMCVal_t val;
    val.key = QStringLiteral("F0Mx");
    ASSERT_EQ(smc.read(val), smc::kSuccess);
    EXPECT_EQ(val.dataSize, 2u);
    EXPECT_EQ(val.dataType, QStringLiteral("fpe2"));
    EXPECT_EQ(val.bytes[0], 0x1f);
    EXPECT_EQ(val.bytes[1], 0x40);
    EXPECT_EQ(val.bytes[2], 0); // the SMC's bytes past dataSize are not copied
    const auto calls = client->calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].selector, 2u);
    EXPECT_EQ(calls[0].input.key, 0x46304D78u);
    EXPECT_EQ(calls[0].input.command, 9);
    EXPECT_EQ(calls[0].input.dataSize, 0u);
    EXPECT_EQ(calls[1].input.command, 5);
    EXPECT_EQ(calls[1].input.dataSize, 2u);

    EXPECT_EQ(smc.getMaxFanRPM(0), 2000);
    EXPECT_EQ(smc.getMaxFanRPM(1), 7000);
    EXPECT_EQ(smc.getMaxFanRPM(2), 0); // unknown key: size 0
    EXPECT_EQ(smc.getMaxFanRPM(10), 0); // "F10Mx" is not a key
    EXPECT_EQ(smc.getMaxFanRPM(-1), 0);
    EXPECT_EQ(smc.getMaxFanRPM(3), 0);
    // All-zero bytes are no value, except for the fan-mode and force keys.
    EXPECT_FALSE(smc.getValue(QStringLiteral("TC0P")));
    EXPECT_DOUBLE_EQ(*smc.getValue(QStringLiteral("F0Md")), 0.0);
    EXPECT_DOUBLE_EQ(*smc.getValue(QStringLiteral("FS! ")), 0.0);
    EXPECT_FALSE(smc.getValue(QStringLiteral("TB0T")));
    // A size beyond the 32-byte field is cut to it; a float beyond int is clamped, not undefined.
    EXPECT_DOUBLE_EQ(*smc.getValue(QStringLiteral("BIGV")), 5.0);
    client->setKey(QStringLiteral("F3Mx"), QStringLiteral("flt "), QByteArray::fromHex("ffff7f7f"));
    EXPECT_EQ(smc.getMaxFanRPM(3), std::numeric_limits<int>::max());
}

TEST(NativeSMC, WithoutAConnectionEveryReadFailsCleanly)
{
    const std::pair<SmcOpenResult::Status, const char*> cases[] = {
        {SmcOpenResult::Status::MatchingFailed, "NativeSMC: Error IOServiceGetMatchingServices()"},
        {SmcOpenResult::Status::ServiceNotFound, "NativeSMC: AppleSMC service not found"},
        {SmcOpenResult::Status::OpenFailed, "NativeSMC: Failed to open connection"},
    };
    for (const auto& [status, message] : cases) {
        auto client = std::make_shared<test::FakeSmcUserClient>();
        client->setOpenResult({status, 0});
        client->setKey(QStringLiteral("F0Mx"), QStringLiteral("fpe2"), QByteArray::fromHex("1f40"));
        test::LogCapture log;
        {
            NativeSMC smc(client);
            EXPECT_EQ(log.lines(), QStringList{QString::fromLatin1(message)});
            EXPECT_FALSE(smc.getValue(QStringLiteral("F0Mx")));
            EXPECT_EQ(smc.getMaxFanRPM(0), 0);
            // The kernel is still asked, with handle 0, and refuses.
            EXPECT_EQ(client->calls().back().connection, 0u);
        }
        EXPECT_TRUE(client->closed().empty());
    }

    auto client = std::make_shared<test::FakeSmcUserClient>();
    {
        NativeSMC smc(client);
    }
    EXPECT_EQ(client->closed(), std::vector<std::uint32_t>{7});
}

} // namespace
} // namespace vantrel
