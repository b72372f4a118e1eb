#include <gtest/gtest.h>

#include "smc/SmcKeyFile.h"
#include "smc/SmcType.h"

using namespace vantrel::smc;

namespace {
std::string hexOf(SmcType type, double value) { return toHex(encode(type, value)); }
} // namespace

TEST(SmcCodec, EncodesEveryTypeInSmcByteOrder)
{
    EXPECT_EQ(hexOf(SmcType::Flt, 47.25), "00003d42"); // little-endian IEEE single
    EXPECT_EQ(hexOf(SmcType::Sp78, 45.5), "2d80");
    EXPECT_EQ(hexOf(SmcType::Sp78, -1.0), "ff00"); // signed fixed point
    EXPECT_EQ(hexOf(SmcType::Fpe2, 2000), "1f40");
    EXPECT_EQ(hexOf(SmcType::Fpe2, 2000.75), "1f43"); // two fraction bits
    EXPECT_EQ(hexOf(SmcType::Ui8, 200), "c8");
    EXPECT_EQ(hexOf(SmcType::Ui16, 5731), "1663");
    EXPECT_EQ(hexOf(SmcType::Ui32, 0x01020304), "01020304");
    // Out of range values clamp instead of wrapping;
    EXPECT_EQ(hexOf(SmcType::Ui8, 300), "ff");
    EXPECT_EQ(hexOf(SmcType::Ui16, -5), "0000");
    EXPECT_EQ(hexOf(SmcType::Fpe2, 1e9), "ffff");

    for (auto type : {SmcType::Flt, SmcType::Ui8, SmcType::Ui16, SmcType::Ui32, SmcType::Sp78, SmcType::Fpe2}) {
        EXPECT_EQ(encode(type, 42).size(), byteSize(type));
        EXPECT_DOUBLE_EQ(decode(type, encode(type, 42)).value(), 42.0) << typeCode(type);
        EXPECT_FALSE(decode(type, Bytes(byteSize(type) + 1)));
    }
}

TEST(SmcCodec, TypeCodesAndHexAcceptBothSpellingsAndRejectJunk)
{
    EXPECT_EQ(typeFromCode("flt_"), SmcType::Flt);
    EXPECT_EQ(typeFromCode("flt "), SmcType::Flt);
    EXPECT_EQ(typeFromCode("ui8_"), SmcType::Ui8);
    EXPECT_FALSE(typeFromCode("flt"));
    EXPECT_FALSE(typeFromCode("si16"));
    EXPECT_EQ(fileTypeCode(SmcType::Ui8), "ui8_");
    EXPECT_EQ(fromHex("00FF3d"), (Bytes{0x00, 0xff, 0x3d}));
    EXPECT_FALSE(fromHex("abc"));
    EXPECT_FALSE(fromHex("zz"));
}

TEST(SmcKeyFile, ParsesKeepsOrderAndSkipsMalformedLines)
{
    const auto file = SmcKeyFile::parse("# header\n"
                                        "TG0D flt_ 00003d42\n"
                                        "\n"
                                        "  F0Ac\tflt_  0000fa44  \r\n"
                                        "TOOLONG flt_ 00003d42\n"
                                        "TB0T flt_ 0000\n" // wrong size for the type
                                        "TB1T si16 0001\n" // unknown type
                                        "TB2T flt_ 00003d42 extra\n"
                                        "F0Md ui8_ 01");
    ASSERT_EQ(file.entries().size(), 3u);
    EXPECT_EQ(file.skippedLines(), 4);
    EXPECT_EQ(file.entries()[1].key, "F0Ac");
    EXPECT_DOUBLE_EQ(file.find("F0Ac")->value().value(), 2000.0);
    EXPECT_DOUBLE_EQ(file.find("F0Md")->value().value(), 1.0);
    EXPECT_EQ(file.find("TB0T"), nullptr);

    const std::string text = SmcKeyFile::render(file.entries(), "store");
    const auto again = SmcKeyFile::parse(text);
    ASSERT_EQ(again.entries().size(), 3u);
    EXPECT_EQ(again.entries()[0].bytes, file.entries()[0].bytes);
    EXPECT_EQ(text.substr(0, 8), "# store\n");
}

TEST(SmcKeyFile, ReadLineHasTheShapeTheApplicationParses)
{
    const SmcEntry tg0d{"TG0D", SmcType::Flt, {0x00, 0x00, 0x3d, 0x42}};
    EXPECT_EQ(formatReadLine(tg0d), "  TG0D  [flt ]  47.25 (bytes 00 00 3d 42)");
    EXPECT_EQ(formatReadLine(SmcEntry{"TC0P", SmcType::Sp78, {0x2d, 0x80}}), "  TC0P  [sp78]  45.5 (bytes 2d 80)");
    EXPECT_EQ(formatReadLine(SmcEntry{"F0Sf", SmcType::Fpe2, {0x1f, 0x40}}), "  F0Sf  [fpe2]  2000 (bytes 1f 40)");
    EXPECT_EQ(formatReadLine(SmcEntry{"BRSC", SmcType::Ui16, {0x00, 0x48}}), "  BRSC  [ui16]  72 (bytes 00 48)");
    EXPECT_EQ(formatValue(-0.001), "0");
    EXPECT_EQ(formatValue(3048.994), "3048.99");

    // The application's reading: the text between the first "]" and the first "(" is the value.
    const std::string line = formatReadLine(SmcEntry{"TPMP", SmcType::Flt, encode(SmcType::Flt, 61.5)});
    const auto close = line.find(']');
    const auto open = line.find('(');
    ASSERT_NE(close, std::string::npos);
    ASSERT_NE(open, std::string::npos);
    EXPECT_DOUBLE_EQ(std::stod(line.substr(close + 1, open - close - 1)), 61.5);
}
