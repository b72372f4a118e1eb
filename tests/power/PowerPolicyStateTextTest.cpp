#include "power/PowerPolicyStateText.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(PowerPolicyStateText, KnownStatesShowTheirKoreanLiteralThroughTheDisplayNames)
{
    EXPECT_EQ(powerPolicyStateLiteral("charge_protector_hold_until_drop_floor"), "보호 대기");
    EXPECT_EQ(powerPolicyStateLiteral("power_only_hold_until_drop_floor"), "보호 대기");
    EXPECT_EQ(powerPolicyStateLiteral("charge_to_target"), "목표까지 충전");
    EXPECT_EQ(powerPolicyStateLiteral("unmanaged"), "기본");
    EXPECT_EQ(powerPolicyStateLiteral("something_new"), "something_new");

    EXPECT_EQ(powerPolicyStateDisplayText("power_only_at_target", "ko"), "목표 유지");
    EXPECT_EQ(powerPolicyStateDisplayText("power_only_at_target", "en"), "Holding Target");
    EXPECT_NE(powerPolicyStateDisplayText("unmanaged", "en"), "기본") << "English users do not see the Korean literal";
    // Unknown names take the display-name rules, e.g. a curve name loses its prefix.
    EXPECT_EQ(powerPolicyStateDisplayText("curve_night_owl", "en"), "night owl");
    EXPECT_EQ(powerPolicyStateDisplayText("  ", "en"), "  ");
}

} // namespace
} // namespace vantrel
