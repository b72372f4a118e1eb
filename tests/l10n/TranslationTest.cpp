#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/Preferences.h"
#include "l10n/KoreanLiteralTable.h"
#include "l10n/L10n.h"
#include "l10n/L10nNotifier.h"
#include "l10n/Translator.h"

using namespace vantrel;

namespace {

QString mainText(const QString& lang, const QString& key)
{
    return BuiltInTables::shared().main().value(lang).value(key);
}

Translator withPack(LocalizedStrings strings)
{
    return Translator(LanguagePack(std::move(strings)), BuiltInTables::shared());
}

} // namespace

TEST(L10n, CandidateChains)
{
    const QStringList hans{"zh-Hans", "zh", "en"};
    EXPECT_EQ(L10n::languageCandidates("zh"), hans);
    EXPECT_EQ(L10n::languageCandidates("zh-Hans"), hans);
    EXPECT_EQ(L10n::languageCandidates("zh-Hant"), (QStringList{"zh-Hant", "zh-Hans", "zh", "en"}));
    EXPECT_EQ(L10n::languageCandidates("en"), QStringList{"en"});
    EXPECT_EQ(L10n::languageCandidates("de"), (QStringList{"de", "en"}));
    EXPECT_EQ(L10n::languageCandidates("pt-BR"), (QStringList{"pt-BR", "en"}));
}

TEST(L10n, TableFallbacksWithoutPack)
{
    const Translator t = withPack({});
    // Traditional Chinese falls through to the main table's Chinese column.
    ASSERT_FALSE(mainText("zh", "tab_status").isEmpty());
    EXPECT_EQ(t.tr("tab_status", "zh-Hant"), mainText("zh", "tab_status"));
    EXPECT_EQ(t.tr("tab_status", "en"), QStringLiteral("Status"));
    EXPECT_EQ(t.tr("dcs_dashboard", "ko"), QStringLiteral("대시보드"));
    EXPECT_EQ(t.tr("dcs_restarting_runtime", "en"), QStringLiteral("Restarting..."));
    // A key of the English/Korean-only group asked for in German gives English.
    EXPECT_EQ(t.tr("force_discharge_mode", "de"), mainText("en", "force_discharge_mode"));
    EXPECT_NE(t.tr("force_discharge_mode", "ko"), mainText("en", "force_discharge_mode"));
    // Unknown language codes fall back to English; unknown keys show themselves.
    EXPECT_EQ(t.tr("tab_cooling", "pt-BR"), QStringLiteral("Cooling"));
    EXPECT_EQ(t.tr("tab_cooling", ""), QStringLiteral("Cooling"));
    EXPECT_EQ(t.tr("no.such.key", "fr"), QStringLiteral("no.such.key"));
    EXPECT_EQ(t.tr("", "en"), QString());
}

TEST(L10n, PackComesFirstInCandidateOrder)
{
    const Translator t = withPack({
        {"tab_status", {{"de", "Zustand"}, {"fr", ""}, {"zh-Hans", "状况"}}},
        {"pack.only", {{"en", "Only in the pack"}, {"ko", "팩 전용"}}},
    });
    EXPECT_EQ(t.tr("tab_status", "de"), QStringLiteral("Zustand"));
    // An empty pack text does not count: the table's French text shows.
    EXPECT_EQ(t.tr("tab_status", "fr"), mainText("fr", "tab_status"));
    // zh-Hant takes the pack's Simplified text before any table.
    EXPECT_EQ(t.tr("tab_status", "zh-Hant"), QStringLiteral("状况"));
    EXPECT_EQ(t.tr("pack.only", "ja"), QStringLiteral("Only in the pack"));
    EXPECT_EQ(t.languagePackValue("pack.only", "ko"), QStringLiteral("팩 전용"));
    EXPECT_EQ(t.languagePackValue("tab_status", "es"), std::nullopt);
    EXPECT_EQ(t.languagePackValue("tab_status", "fr"), std::nullopt);
    EXPECT_TRUE(t.hasText("pack.only", "ko"));
    EXPECT_FALSE(t.hasText("pack.only", "ja"));
    EXPECT_TRUE(t.knownKeys().contains("pack.only"));
    EXPECT_TRUE(t.knownKeys().contains("dcs_settings"));
}

TEST(L10n, KoreanLiteralsOutsideKorean)
{
    const Translator t = withPack({});
    EXPECT_EQ(t.tr("배터리 없음", "en"), QStringLiteral("No battery"));
    EXPECT_EQ(t.tr("현재", "de"), QStringLiteral("Current"));
    EXPECT_EQ(t.tr("macOS 기본", "zh-Hant"), QStringLiteral("macOS Default"));
    // Korean, in any region, keeps the literal.
    EXPECT_EQ(t.tr("배터리 없음", "ko"), QStringLiteral("배터리 없음"));
    EXPECT_EQ(t.tr("배터리 없음", "ko-KR"), QStringLiteral("배터리 없음"));
    // Trimmed for the exact rows; substring rules for longer sentences; otherwise unchanged.
    EXPECT_EQ(t.englishFallbackForKoreanLiteral("  적용\n"), QStringLiteral("Apply"));
    EXPECT_EQ(t.tr("오늘도 대시보드 화면을 켜 둡니다", "fr"),
              QStringLiteral("The dashboard stays awake so important information is not interrupted."));
    EXPECT_EQ(t.tr("알 수 없는 문장", "en"), QStringLiteral("알 수 없는 문장"));
    // Not Hangul: no literal lookup.
    EXPECT_EQ(t.tr("Telemetry", "de"), QStringLiteral("Telemetry"));
}

TEST(L10n, KoreanFallbackRulesMatchOnlyWhatTheyMean)
{
    const Translator t = withPack({});
    // An episode: charging is cut and the fans run hard.
    const QString episode = t.tr("배터리 온도가 37°C 기준을 넘어 3분 동안 전원을 차단하고 팬을 강하게 돌립니다. "
                                 "남은 시간은 약 120초입니다. 완료되면 기존 팬 프리셋으로 복귀합니다.",
                                 "en");
    EXPECT_TRUE(episode.contains("charging is paused")) << episode.toStdString();
    // A warning near the limit says so, and never claims an episode.
    const QString warning = t.tr("배터리 온도가 36.5°C로 열 보호 기준 37.0°C에 가깝습니다.", "en");
    EXPECT_FALSE(KoreanLiteralTable::containsHangul(warning)) << warning.toStdString();
    EXPECT_FALSE(warning.contains("paused")) << warning.toStdString();
    EXPECT_TRUE(warning.contains("close to")) << warning.toStdString();
    // Another sentence about the battery temperature matches neither rule.
    EXPECT_EQ(t.tr("배터리 온도가 정상입니다.", "en"), QStringLiteral("배터리 온도가 정상입니다."));
}

TEST(L10n, DisplayNames)
{
    const Translator t = withPack({});
    EXPECT_EQ(t.displayName("", "en"), QString());
    EXPECT_EQ(t.displayName("   ", "en"), QStringLiteral("   "));
    // A name the translation tables know takes their text.
    EXPECT_EQ(t.displayName(" curve_balance ", "en"), mainText("en", "curve_balance"));
    // Then the display-name table, case-insensitively, through the candidate chain.
    EXPECT_EQ(t.displayName("SET_FAN_CONFIG", "en"), QStringLiteral("Apply fan curve"));
    EXPECT_EQ(t.displayName("reset_to_vanilla", "pt"), QStringLiteral("Restore defaults"));
    EXPECT_EQ(t.displayName("backend_needed", "en"), QStringLiteral("Coming soon"));
    EXPECT_EQ(t.displayName("charge_to_target", "ko"), QStringLiteral("목표까지 충전"));
    const auto& names = BuiltInTables::shared().displayNames();
    EXPECT_EQ(t.displayName("get_status", "zh"), names.value("zh-Hans").value("get_status"));
    EXPECT_EQ(t.displayName("get_status", "zh-Hant"), names.value("zh-Hant").value("get_status"));
    EXPECT_NE(names.value("zh-Hant").value("get_status"), names.value("zh-Hans").value("get_status"));
    // Unknown names: "curve_" drops away and underscores become spaces; others come back trimmed.
    EXPECT_EQ(t.displayName("curve_late_night_quiet", "de"), QStringLiteral("late night quiet"));
    EXPECT_EQ(t.displayName("  My Preset ", "en"), QStringLiteral("My Preset"));
}

TEST(L10n, FillReplacesPlaceholdersThenPercentPairs)
{
    EXPECT_EQ(L10n::fill("%s applied.", {"Silent"}), QStringLiteral("Silent applied."));
    EXPECT_EQ(L10n::fill("Limit %s%%.", {"80"}), QStringLiteral("Limit 80%."));
    EXPECT_EQ(L10n::fill("%s: %s%% below %s%%", {"Sleep", "30", "40"}), QStringLiteral("Sleep: 30% below 40%"));
    // An argument that holds "%s" is not substituted again.
    EXPECT_EQ(L10n::fill("%s and %s", {"a%s", "b"}), QStringLiteral("a%s and b"));
    EXPECT_EQ(L10n::fill("no placeholder 100%%", {"x"}), QStringLiteral("no placeholder 100%"));
    EXPECT_EQ(L10n::format("power.status.set_battery_config_success", "80", "en"),
              QStringLiteral("Battery settings applied. Charge limit 80%."));
    EXPECT_EQ(L10n::formatList("sleep.status.battery_cutoff_blocked", {"Prevent System Sleep", "30", "40"}, "en"),
              QStringLiteral("Prevent System Sleep stays off: the battery is at 30%, below the 40% cut-off."));
}

TEST(L10n, DefaultAndStoredLanguage)
{
    EXPECT_EQ(L10n::defaultLanguage(QStringList{"ko-KR", "en-US"}), QStringLiteral("ko"));
    EXPECT_EQ(L10n::defaultLanguage(QStringList{"zh-Hant-TW"}), QStringLiteral("zh"));
    EXPECT_EQ(L10n::defaultLanguage(QStringList{"DE-at"}), QStringLiteral("de"));
    EXPECT_EQ(L10n::defaultLanguage(QStringList{"pt-BR", "ko-KR"}), QStringLiteral("en"));
    EXPECT_EQ(L10n::defaultLanguage(QStringList{}), QStringLiteral("en"));
    EXPECT_EQ(L10n::defaultLanguage(QStringList{"C"}), QStringLiteral("en"));

    MemoryPreferences prefs;
    EXPECT_EQ(L10n::languageFromPreferences(prefs), L10n::defaultLanguage());
    prefs.setValue(L10n::selectedLanguageKey, QStringLiteral("ja"));
    EXPECT_EQ(L10n::languageFromPreferences(prefs), QStringLiteral("ja"));
    prefs.setValue(L10n::selectedLanguageKey, QStringLiteral(" "));
    EXPECT_EQ(L10n::languageFromPreferences(prefs), L10n::defaultLanguage());
}

TEST(L10n, CurrentLanguageDrivesShortFormsAndAnnouncesChanges)
{
    const QString before = L10n::currentLanguage();
    QStringList announced;
    const auto connection = QObject::connect(&L10n::notifier(), &L10nNotifier::currentLanguageChanged,
                                             [&](const QString& lang) { announced << lang; });
    L10n::setCurrentLanguage("ko");
    L10n::setCurrentLanguage("ko");
    EXPECT_EQ(announced.size(), before == "ko" ? 0 : 1);
    EXPECT_EQ(L10n::tr("dcs_settings"), QStringLiteral("설정"));
    EXPECT_EQ(L10n::format("sleep.status.apply_success", "가상 클램셸"), QStringLiteral("가상 클램셸 적용 완료"));
    L10n::setCurrentLanguage("en");
    EXPECT_EQ(L10n::tr("dcs_settings"), QStringLiteral("Settings"));
    EXPECT_EQ(announced.last(), QStringLiteral("en"));
    L10n::setCurrentLanguage(before);
    QObject::disconnect(connection);
}

TEST(L10n, LookupsFromManyThreadsWhileTheLanguageChanges)
{
    const QString before = L10n::currentLanguage();
    std::atomic<int> wrong{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < 3; ++i) {
        readers.emplace_back([&wrong] {
            for (int n = 0; n < 2000; ++n) {
                const QString text = L10n::tr("dcs_sleep");
                if (text != QStringLiteral("Sleep") && text != QStringLiteral("잠자기"))
                    ++wrong;
            }
        });
    }
    for (int n = 0; n < 500; ++n)
        L10n::setCurrentLanguage(n % 2 ? "ko" : "en");
    for (auto& reader : readers)
        reader.join();
    EXPECT_EQ(wrong.load(), 0);
    L10n::setCurrentLanguage(before);
}
