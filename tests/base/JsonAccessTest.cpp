#include <gtest/gtest.h>

#include "base/JsonAccess.h"
#include "base/JsonDuplicateKeys.h"

using namespace vantrel;

namespace {
QJsonObject parse(const char* text) { return json::parseObject(QByteArray(text)).value_or(QJsonObject{}); }
} // namespace

TEST(JsonAccess, TypingRules)
{
    const auto o = parse(R"({"i": 51, "f": 51.5, "s": "51", "b": true, "one": 1, "neg": -3, "big": 1e300,
                             "ns": " 12.5 ", "junk": "12abc", "nested": {"x": 1}, "arr": [1]})");
    EXPECT_EQ(json::integer(o, "i"), 51);
    EXPECT_FALSE(json::integer(o, "f"));
    EXPECT_FALSE(json::integer(o, "s"));
    EXPECT_FALSE(json::integer(o, "big"));
    EXPECT_EQ(json::number(o, "i"), 51.0);
    EXPECT_FALSE(json::number(o, "s"));
    EXPECT_EQ(json::string(o, "s"), QStringLiteral("51"));
    EXPECT_FALSE(json::string(o, "i"));
    EXPECT_EQ(json::strictBool(o, "b"), true);
    EXPECT_FALSE(json::strictBool(o, "one"));
    EXPECT_EQ(json::lenientDouble(o, "ns"), 12.5);
    EXPECT_EQ(json::lenientDouble(o, "i"), 51.0);
    EXPECT_FALSE(json::lenientDouble(o, "junk"));
    EXPECT_FALSE(json::lenientDouble(o, "b"));
    EXPECT_EQ(json::lenientInteger(o, "s"), 51);
    EXPECT_EQ(json::lenientInteger(o, "f"), 51);
    EXPECT_EQ(json::integer(o, "neg"), -3);
    EXPECT_TRUE(json::object(o, "nested"));
    EXPECT_FALSE(json::object(o, "arr"));
    EXPECT_FALSE(json::string(o, "missing"));
}

TEST(JsonAccess, OkStatusIsExactAndParseReportsProblems)
{
    EXPECT_TRUE(json::isOkStatus(parse(R"({"status":"ok"})")));
    EXPECT_FALSE(json::isOkStatus(parse(R"({"status":"OK"})")));
    EXPECT_FALSE(json::isOkStatus(parse(R"({"status":1})")));
    EXPECT_FALSE(json::isOkStatus(parse(R"({})")));
    QString error;
    EXPECT_FALSE(json::parseObject("[1,2]", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(json::parseObject("{\"a\":", &error));
}

TEST(JsonDuplicateKeys, FindsARepeatedKeyAtAnyDepthHoweverItIsSpelled)
{
    EXPECT_EQ(json::firstDuplicateKey(R"({"cmd":"get_status","cmd":"reset_to_vanilla"})"), QStringLiteral("cmd"));
    // An escaped spelling of the same key is the same key.
    EXPECT_EQ(json::firstDuplicateKey(R"({"cmd":"a","\u0063md":"b"})"), QStringLiteral("cmd"));
    EXPECT_EQ(json::firstDuplicateKey(R"({"a":[{"x":1},{"y":2,"y":3}]})"), QStringLiteral("y"));
    EXPECT_EQ(json::firstDuplicateKey(R"({"o":{"k":1},"p":{"k":2,"q":{"k":3,"k":4}}})"), QStringLiteral("k"));

    // Equal keys in different objects, keys that appear as values, and quotes or braces
    // inside strings are not duplicates.
    EXPECT_FALSE(json::firstDuplicateKey(R"({"a":{"k":1},"b":{"k":1},"k":"k"})"));
    EXPECT_FALSE(json::firstDuplicateKey(R"({"s":"{\"s\":1,","t":"\\","u":["s","s"]})"));
    EXPECT_FALSE(json::firstDuplicateKey(R"({"cmd":"get_status","limit":80})"));
    EXPECT_FALSE(json::firstDuplicateKey(R"([{"a":1},{"a":1}])"));
    EXPECT_FALSE(json::firstDuplicateKey(""));
}

TEST(JsonDuplicateKeys, ATextEndingInsideAnEscapeIsNotReadPastItsEnd)
{
    // The view stops after the backslash; the byte behind it would complete the second key
    // as a copy of the first if the scan read past the end.
    const QByteArray buffer = R"({"a\"":1,"a\")";
    EXPECT_FALSE(json::firstDuplicateKey(QByteArrayView(buffer.constData(), buffer.size() - 1)));
    EXPECT_FALSE(json::firstDuplicateKey("\"\\"));
}
