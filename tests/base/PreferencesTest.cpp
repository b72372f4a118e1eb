#include <gtest/gtest.h>

#include "base/Preferences.h"
#include "support/TempDir.h"

using namespace vantrel;

namespace {
void exercise(Preferences& prefs)
{
    EXPECT_FALSE(prefs.exists("chargeLimit"));
    EXPECT_EQ(prefs.intValue("chargeLimit", 80), 80);
    prefs.setValue("chargeLimit", 75);
    prefs.setValue("useFahrenheit", true);
    prefs.setValue("selectedLanguage", QStringLiteral("ko"));
    prefs.setValue("maxTemp", 42.5);
    prefs.setValue("vantrel.onboarding.languageCompleted.v1", true);
    prefs.setValue("blob", QByteArray("[1,2]"));
    EXPECT_TRUE(prefs.exists("chargeLimit"));
    EXPECT_EQ(prefs.intValue("chargeLimit"), 75);
    EXPECT_EQ(prefs.optionalBool("useFahrenheit"), true);
    EXPECT_EQ(prefs.stringValue("selectedLanguage"), QStringLiteral("ko"));
    EXPECT_DOUBLE_EQ(prefs.doubleValue("maxTemp"), 42.5);
    EXPECT_TRUE(prefs.boolValue("vantrel.onboarding.languageCompleted.v1"));
    EXPECT_EQ(prefs.dataValue("blob"), QByteArray("[1,2]"));
    prefs.setValue("notANumber", QStringLiteral("abc"));
    EXPECT_FALSE(prefs.optionalInt("notANumber"));
    EXPECT_EQ(prefs.intValue("notANumber", 9), 9);
    prefs.remove("chargeLimit");
    EXPECT_FALSE(prefs.exists("chargeLimit"));
}
} // namespace

TEST(Preferences, MemoryAndSettingsFileBehaveAlikeAndPersist)
{
    MemoryPreferences memory;
    exercise(memory);

    test::TempDir dir;
    const QString file = dir.file("prefs/Vantrel.conf");
    {
        SettingsFilePreferences prefs(file);
        exercise(prefs);
    }
    SettingsFilePreferences reopened(file);
    EXPECT_EQ(reopened.optionalBool("useFahrenheit"), true);
    EXPECT_EQ(reopened.intValue("chargeLimit", -1), -1);
    EXPECT_DOUBLE_EQ(reopened.doubleValue("maxTemp"), 42.5);
    EXPECT_EQ(reopened.stringValue("selectedLanguage"), QStringLiteral("ko"));
}
