#include <gtest/gtest.h>

#include "l10n/L10n.h"
#include "l10n/LanguagePack.h"
#include "l10n/Translator.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

using namespace vantrel;

TEST(LanguagePack, ParsesWrappedAndPlainFormsAllOrNothing)
{
    auto wrapped = LanguagePack::parse(R"({"fallbackLanguage": "en", "strings": {"k": {"en": "E", "ko": "K"}}})");
    ASSERT_TRUE(wrapped);
    EXPECT_EQ(wrapped->value("k", {"ko", "en"}), QStringLiteral("K"));

    auto noFallback = LanguagePack::parse(R"({"strings": {"k": {"de": "D"}}})");
    ASSERT_TRUE(noFallback);
    EXPECT_EQ(noFallback->value("k", {"fr", "de"}), QStringLiteral("D"));

    auto plain = LanguagePack::parse(R"({"k": {"en": "E"}, "j": {"fr": "F"}})");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->strings().size(), 2);
    EXPECT_EQ(plain->value("j", {"fr"}), QStringLiteral("F"));

    // An empty object is a valid (empty) plain pack.
    auto empty = LanguagePack::parse("{}");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->isEmpty());

    // A wrapper that does not decode is not read as a plain map either.
    EXPECT_FALSE(LanguagePack::parse(R"({"fallbackLanguage": 3, "strings": {"k": {"en": "E"}}})"));
    EXPECT_FALSE(LanguagePack::parse(R"({"strings": {"k": {"en": 1}}})"));
    EXPECT_FALSE(LanguagePack::parse(R"({"k": {"en": "E"}, "bad": "text"})"));
    EXPECT_FALSE(LanguagePack::parse(R"({"k": {"en": ["E"]}})"));
    EXPECT_FALSE(LanguagePack::parse(R"([{"k": {"en": "E"}}])"));
    EXPECT_FALSE(LanguagePack::parse("{\"k\": {\"en\": \"E\""));
    EXPECT_FALSE(LanguagePack::parse(""));
}

TEST(LanguagePack, FirstDecodableLocationWins)
{
    test::TempDir dir;
    const QString broken = dir.write("broken.json", "{ not json");
    const QString wrongShape = dir.write("shape.json", R"({"k": "flat"})");
    const QString good = dir.write("Localization/VantrelLanguagePack.json", R"({"strings": {"k": {"en": "second"}}})");
    const QString later = dir.write("later.json", R"({"k": {"en": "third"}})");
    test::LogCapture log;

    const LanguagePack pack = LanguagePack::loadFirst({dir.file("absent.json"), broken, wrongShape, good, later});
    EXPECT_EQ(pack.value("k", {"en"}), QStringLiteral("second"));
    EXPECT_TRUE(log.contains("not decodable: " + broken));
    EXPECT_TRUE(log.contains("not decodable: " + wrongShape));

    // Nothing usable anywhere: an empty pack, and translation falls through to the tables.
    const LanguagePack none = LanguagePack::loadFirst({dir.file("absent.json"), broken, dir.path()});
    EXPECT_TRUE(none.isEmpty());
    const Translator t(none, BuiltInTables::shared());
    EXPECT_EQ(t.tr("dcs_sleep", "en"), QStringLiteral("Sleep"));
    EXPECT_EQ(t.tr("settings.update.checking", "en"), QStringLiteral("settings.update.checking"));
}

TEST(LanguagePack, InstalledCopyOverridesCompiledInResource)
{
    const QStringList locations = LanguagePack::defaultLocations();
    ASSERT_EQ(locations.size(), 4);
    EXPECT_TRUE(locations[0].endsWith("/share/vantrel/VantrelLanguagePack.json"));
    EXPECT_EQ(locations[1], QStringLiteral(":/vantrel/l10n/VantrelLanguagePack.json"));
    EXPECT_TRUE(locations[2].endsWith("/share/vantrel/Localization/VantrelLanguagePack.json"));
    EXPECT_EQ(locations[3], QStringLiteral(":/vantrel/l10n/Localization/VantrelLanguagePack.json"));

    // The application's own pack is compiled in and is what L10n loads here.
    const LanguagePack shipped = L10n::loadLanguagePack();
    EXPECT_FALSE(shipped.isEmpty());
    EXPECT_EQ(L10n::languagePackValue("settings.update.checking", "en"), QStringLiteral("Checking for updates…"));
}
