#include "sensors/SmcToolOutputParser.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(SmcToolOutputParser, ReadsKeyTypeValueLines)
{
    const auto values = parseSmcToolOutput(u"  TG0D  [flt ]  47.25 (bytes 00 00 3d 42)\n"
                                           "\tTC0P [sp78]  45.5 (bytes 2d 80)\n"
                                           "F0Ac  [flt ]  2317.8 (bytes 9a d9 10 45)\n"
                                           "FNum  [ui8 ]  2 (bytes 02)\n"
                                           "PSTR  [flt ]  -3.5\n"
                                           "TB0T  [sp78]  31\r\n"
                                           "TB1T  [flt ]  1e2 (bytes 00 00 c8 42)\n"
                                           "TB2T  [flt ]  +33.0 (x)\n");
    EXPECT_DOUBLE_EQ(values.value(QStringLiteral("TG0D")), 47.25);
    EXPECT_DOUBLE_EQ(values.value(QStringLiteral("TC0P")), 45.5);
    EXPECT_DOUBLE_EQ(values.value(QStringLiteral("F0Ac")), 2317.8);
    EXPECT_DOUBLE_EQ(values.value(QStringLiteral("FNum")), 2.0);
    EXPECT_DOUBLE_EQ(values.value(QStringLiteral("PSTR")), -3.5);
    EXPECT_DOUBLE_EQ(values.value(QStringLiteral("TB1T")), 100.0);
    EXPECT_DOUBLE_EQ(values.value(QStringLiteral("TB2T")), 33.0);
    // A carriage return is not white space the parser trims: the whole text must be a number.
    EXPECT_FALSE(values.contains(QStringLiteral("TB0T")));
}

TEST(SmcToolOutputParser, SkipsLinesWithoutBracketOrNumberAndGarbageValues)
{
    const auto values = parseSmcToolOutput(u"TA0P 47.25 (bytes 00 00 3d 42)\n" // no "]"
                                           "TA1P [flt ] (bytes 00 00 3d 42)\n" // no number between "]" and "("
                                           "TA2P [flt ]\n" // nothing after "]"
                                           "TA3P [flt ] 47.25abc (bytes)\n" // not a whole number
                                           "TA4P [flt ] 4 7 (bytes)\n"
                                           "TA5P [flt ] 10000 (bytes)\n" // garbage: |v| ≥ 10000
                                           "TA6P [flt ] -10000.0\n"
                                           "TA7P [flt ] 9999.99\n"
                                           "TA8P [flt ] nan\n"
                                           "TA9P [flt ] inf\n"
                                           "[flt ] 12\n" // no key before a space: "[flt" is the key
                                           "LONE\n"
                                           "smc: cannot read the SMC key store\n" // an error line that slipped through
                                           "   \t  \n"
                                           "TG0D [flt ] 40 (a)\n"
                                           "TG0D [flt ] 41 (b)\n"); // a later line wins
    EXPECT_EQ(values.size(), 3);
    EXPECT_DOUBLE_EQ(values.value(QStringLiteral("TA7P")), 9999.99);
    EXPECT_DOUBLE_EQ(values.value(QStringLiteral("[flt")), 12.0);
    EXPECT_DOUBLE_EQ(values.value(QStringLiteral("TG0D")), 41.0);

    EXPECT_TRUE(parseSmcToolOutput(u"").isEmpty());
    const QString binaryNoise = QString::fromLatin1(QByteArray(20000, '\x07') + "]((((]]]((");
    EXPECT_TRUE(parseSmcToolOutput(binaryNoise).isEmpty());
}

} // namespace
} // namespace vantrel
