#include "power/HeatProtectionAlertCenter.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

const QJsonObject active{
    {"heat_protection_active", true}, {"heat_protection_remaining_seconds", 120}, {"max_battery_temp", 37.9}};
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
                         QJsonObject{{"heat_protection_active", true},
                                     {"heat_protection_remaining_seconds", -5},
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
    EXPECT_FALSE(
        center.alert(HeatProtectionAlertSurface::dashboard, QJsonObject{{"heat_protection_warning_message", ""}}));
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

TEST(HeatProtectionAlertCenter, MessagesKeepTheirFiguresInEveryLanguage)
{
    HeatProtectionAlertCenter center([] { return 35.0; });
    auto episode = center.alert(HeatProtectionAlertSurface::dashboard, active);
    ASSERT_TRUE(episode);
    EXPECT_EQ(episode->messageText("ko"), episode->message) << "Korean reads exactly as the alert's own text";
    EXPECT_EQ(episode->messageText("en"),
              "The battery passed the 37°C limit, so charging is cut and the fans run hard "
              "for 3 minutes. About 120 seconds remain; then the previous fan preset returns.");
    EXPECT_EQ(episode->titleText("en"), "Heat Protection Engaged");

    // The daemon's near-limit warning: the readback's figures win over the text's.
    const QString nearLimit = "배터리 온도가 36.5°C로 열 보호 기준 37.0°C에 가깝습니다.";
    QJsonObject warn{{"heat_protection_warning_message", nearLimit},
                     {"battery_percent", 80},
                     {"battery_temperature", 36.64},
                     {"max_battery_temp", 37.0}};
    auto w = center.alert(HeatProtectionAlertSurface::dashboard, warn);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->message, nearLimit) << "the daemon's text itself is kept";
    EXPECT_EQ(w->messageText("en"), "The battery is at 36.6°C, close to the heat-protection limit of 37°C.");
    EXPECT_EQ(w->messageText("ko"), "배터리 온도가 36.6°C로 열 보호 기준 37°C에 가깝습니다.");
    EXPECT_TRUE(w->messageText("fr").contains("36.6°C"));
    EXPECT_EQ(w->titleText("en"), "Heat Protection Warning");

    // Without figures in the readback, the text's own figures are used.
    auto fromText = center.alert(HeatProtectionAlertSurface::fan,
                                 QJsonObject{{"heat_protection_warning_message", nearLimit}, {"battery_percent", 80}});
    ASSERT_TRUE(fromText);
    EXPECT_EQ(fromText->messageText("en"), "The battery is at 36.5°C, close to the heat-protection limit of 37°C.");
    // A single figure is the limit; no battery figure at all gives the shorter sentence.
    auto limitOnly = center.alert(
        HeatProtectionAlertSurface::power,
        QJsonObject{{"heat_protection_warning_message", "배터리 온도가 열 보호 기준 38.5°C에 가깝습니다."}});
    ASSERT_TRUE(limitOnly);
    EXPECT_EQ(limitOnly->messageText("en"), "The battery is close to the heat-protection limit of 38.5°C.");

    // Another warning says nothing about the limit: it is shown as sent, no sentence is invented.
    auto other = center.alert(HeatProtectionAlertSurface::dashboard,
                              QJsonObject{{"heat_protection_warning_message", "배터리가 뜨겁습니다"}});
    ASSERT_TRUE(other);
    EXPECT_TRUE(other->messageKey.isEmpty());
    EXPECT_EQ(other->messageText("ko"), "배터리가 뜨겁습니다");
    EXPECT_FALSE(other->messageText("en").contains("paused"));
}

} // namespace
} // namespace vantrel
