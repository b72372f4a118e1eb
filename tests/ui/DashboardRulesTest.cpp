// The dashboard's colour rules, its texts for daemon figures, the model label and the
// timeline's categories.
#include <gtest/gtest.h>

#include "ui/dashboard/DashboardRules.h"
#include "ui/dashboard/EvidenceTimeline.h"
#include "ui/dashboard/ModelLabel.h"

using namespace vantrel;
using namespace vantrel::dashboard;

TEST(DashboardRules, ColourBands)
{
    EXPECT_EQ(cpuColor(84.9, 0), DSToken::orange);
    EXPECT_EQ(cpuColor(85.0, 0), DSToken::red);
    EXPECT_EQ(cpuColor(40, 90), DSToken::red);
    EXPECT_EQ(cpuColor(69.9, 69.9), DSToken::green);
    EXPECT_EQ(cpuColor(40, 70), DSToken::orange);

    EXPECT_EQ(memoryLevelColor("critical"), DSToken::red);
    EXPECT_EQ(memoryLevelColor("High"), DSToken::red);
    EXPECT_EQ(memoryLevelColor("medium"), DSToken::orange);
    EXPECT_EQ(memoryLevelColor("normal"), DSToken::green);
    EXPECT_EQ(memoryLevelColor("unknown"), DSToken::grey);

    EXPECT_EQ(memoryUseColor("15 / 16 GB"), DSToken::red);
    EXPECT_EQ(memoryUseColor("12 / 16 GB"), DSToken::orange);
    EXPECT_EQ(memoryUseColor("8 / 16 GB"), DSToken::textPri);
    EXPECT_EQ(memoryUseColor("-"), DSToken::textPri);

    EXPECT_EQ(ssdColor("70°C"), DSToken::red);
    EXPECT_EQ(ssdColor("55°C"), DSToken::orange);
    EXPECT_EQ(ssdColor("54°C"), DSToken::cyan);
    EXPECT_EQ(ssdColor("-"), DSToken::grey);
}

TEST(DashboardRules, DaemonFigureTexts)
{
    EXPECT_EQ(usedOfTotalText(12.9 * (1 << 30), 16.0 * (1 << 30)), "12 / 16 GB") << "whole GiB, truncated";
    EXPECT_EQ(usedOfTotalText(0.96 * (1 << 30), 23.4 * (1 << 30)), "0.9 / 23 GB") << "a tenth below 10 GiB";
    EXPECT_EQ(usedOfTotalText(9.99 * (1 << 30), 16.0 * (1 << 30)), "9.9 / 16 GB");
    EXPECT_EQ(usedOfTotalText(-5, 0), "0.0 / 0 GB");
    EXPECT_EQ(temperatureText(47.6), "48°C");
    EXPECT_EQ(leadingNumber("48°C").value_or(-1), 48);
    EXPECT_EQ(leadingNumber("  61.5 C").value_or(-1), 61.5);
    EXPECT_FALSE(leadingNumber("n/a"));
}

TEST(DashboardRules, ModelLabels)
{
    EXPECT_EQ(friendlyModelLabel(QString("MacBook Pro (14-inch, Nov 2023)"), "Mac15,6"),
              "MacBook Pro (14-inch, Nov 2023)");
    EXPECT_EQ(friendlyModelLabel(QString("  "), "MacBookPro18,3"), "MacBook Pro");
    EXPECT_EQ(friendlyModelLabel(std::nullopt, "Macmini9,1"), "Mac mini");
    EXPECT_EQ(friendlyModelLabel(std::nullopt, "Mac14,3"), "Mac (Mac14,3)");
    EXPECT_EQ(friendlyModelLabel(std::nullopt, "unknown"), "");
    EXPECT_EQ(friendlyModelLabel(std::nullopt, "-"), "");
}

TEST(EvidenceTimeline, CategoriesFollowTheFirstListedWord)
{
    EXPECT_EQ(evidenceCategory("fan.cooling curve applied"), "cooling");
    EXPECT_EQ(evidenceCategory("battery heat protection"), "power") << "battery comes before heat";
    EXPECT_EQ(evidenceCategory("HEAT alert"), "heat");
    EXPECT_EQ(evidenceCategory("clamshell guard"), "sleep");
    EXPECT_EQ(evidenceCategory("update installed"), "policy");
    EXPECT_EQ(evidenceCategoryColor("heat"), DSToken::red);
    EXPECT_EQ(evidenceCategoryColor("policy"), DSToken::grey);
    EXPECT_EQ(evidenceTime("2026-01-15 23:59:58"), "23:59:58");
    // Triggers and result states: display names first, bare identifiers in plain words.
    EXPECT_EQ(evidenceWord("manual", "de"), "Manuell");
    EXPECT_EQ(evidenceWord("app_request", "en"), "Requested by Vantrel");
    EXPECT_EQ(evidenceWord("external_power_connected", "fr"), "External power connected");
    EXPECT_EQ(evidenceWord("charging_to_target", "en"), "Charging to target");
    EXPECT_EQ(evidenceWord("Lid closed", "en"), "Lid closed");
    EXPECT_EQ(evidenceWord("_x", "en"), "_x");
    EXPECT_EQ(evidenceTime("2026-01-15T23:59:58Z"), "--:--:--");
    EXPECT_TRUE(parseEvidenceEvents(QJsonObject{{"events", "none"}}).empty());
}
