#include "power/HeatProtectionAlertCenter.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

const QJsonObject active{{"heat_protection_active", true}, {"heat_protection_remaining_seconds", 120},
                         {"max_battery_temp", 37.9}};
const QJsonObject calm{{"battery_percent", 80}};

TEST(HeatProtectionAlertCenter, OneAlertPerEpisodeAndSurface)
{
    HeatProtectionAlertCenter center([] { return 35.0; });
    auto first = center.alert(HeatProtectionAlertSurface::dashboard, active);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->id, "heat-active-dashboard-1");
    EXPECT_EQ(first->title, "열 보호 모드 작동");
    EXPECT_EQ(first->message,
              "배터리 온도가 37°C 기준을 넘어 3분 동안 전원을 차단하고 팬을 강하게 돌립니다. 남은 시간은 약 "
              "120초입니다. 완료되면 기존 팬 프리셋으로 복귀합니다.");
    EXPECT_FALSE(center.alert(HeatProtectionAlertSurface::dashboard, active)) << "same episode, same surface";
    auto power = center.alert(HeatProtectionAlertSurface::power, active);
    ASSERT_TRUE(power) << "each surface gets its own copy";
    EXPECT_EQ(power->id, "heat-active-power-1");

    EXPECT_FALSE(center.alert(HeatProtectionAlertSurface::dashboard, calm));
    auto second = center.alert(HeatProtectionAlertSurface::dashboard, active);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->id, "heat-active-dashboard-2");
}

TEST(HeatProtectionAlertCenter, ActiveMessageFallbacks)
{
    HeatProtectionAlertCenter center([] { return 41.7; });
    auto a = center.alert(HeatProtectionAlertSurface::fan, QJsonObject{{"heat_protection_active", true}});
    ASSERT_TRUE(a);
    EXPECT_TRUE(a->message.contains("41°C")) << "the stored threshold, truncated";
    EXPECT_TRUE(a->message.contains("약 180초")) << "absent remaining time is the whole episode";

    HeatProtectionAlertCenter other([] { return 35.0; });
    auto b = other.alert(HeatProtectionAlertSurface::fan,
                         QJsonObject{{"heat_protection_active", true}, {"heat_protection_remaining_seconds", -5},
                                     {"max_battery_temp", "hot"}});
    ASSERT_TRUE(b);
    EXPECT_TRUE(b->message.contains("약 0초"));
    EXPECT_TRUE(b->message.contains("35°C")) << "a mistyped threshold falls back to the stored one";

    HeatProtectionAlertCenter strict([] { return 35.0; });
    EXPECT_FALSE(strict.alert(HeatProtectionAlertSurface::fan, QJsonObject{{"heat_protection_active", 1}}))
        << "only a real boolean starts an episode";
}

TEST(HeatProtectionAlertCenter, WarningsAreDeduplicatedPerSurfaceAndPercent)
{
    HeatProtectionAlertCenter center([] { return 35.0; });
    QJsonObject warn{{"heat_protection_warning_message", "배터리가 뜨겁습니다"}, {"battery_percent", 80}};
    auto w = center.alert(HeatProtectionAlertSurface::dashboard, warn);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->id, "heat-warning-dashboard-배터리가 뜨겁습니다|80");
    EXPECT_EQ(w->title, "히트 프로텍션 경고");
    EXPECT_EQ(w->message, "배터리가 뜨겁습니다");
    EXPECT_FALSE(center.alert(HeatProtectionAlertSurface::dashboard, warn));
    EXPECT_TRUE(center.alert(HeatProtectionAlertSurface::fan, warn));

    warn["battery_percent"] = 79;
    EXPECT_TRUE(center.alert(HeatProtectionAlertSurface::dashboard, warn));

    // An empty warning forgets the last one, so the same warning alerts again later.
    EXPECT_FALSE(center.alert(HeatProtectionAlertSurface::dashboard,
                              QJsonObject{{"heat_protection_warning_message", ""}}));
    EXPECT_TRUE(center.alert(HeatProtectionAlertSurface::dashboard, warn));

    warn.remove("battery_percent");
    auto unknown = center.alert(HeatProtectionAlertSurface::power, warn);
    ASSERT_TRUE(unknown);
    EXPECT_TRUE(unknown->id.endsWith("|unknown"));

    // An active episode takes precedence over a warning in the same readback.
    warn["heat_protection_active"] = true;
    auto episode = center.alert(HeatProtectionAlertSurface::power, warn);
    ASSERT_TRUE(episode);
    EXPECT_TRUE(episode->id.startsWith("heat-active-power-"));
}

} // namespace
} // namespace vantrel
