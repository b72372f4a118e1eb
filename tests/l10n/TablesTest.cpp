#include <QRegularExpression>

#include <gtest/gtest.h>

#include "l10n/BuiltInTables.h"
#include "l10n/L10n.h"
#include "l10n/Translator.h"

using namespace vantrel;

namespace {

const QStringList kSevenLanguages{"en", "ko", "zh", "ja", "de", "es", "fr"};
const QStringList kFiveLanguages{"zh", "ja", "de", "es", "fr"};

int placeholderCount(const QString& text) { return int(text.count(QLatin1String("%s"))); }

} // namespace

TEST(L10nTables, EveryLanguageHasTheKeysOfItsGroupAndNoGaps)
{
    const auto& tables = BuiltInTables::shared();
    const auto keysOf = [](const QHash<QString, QString>& texts) {
        QStringList keys = texts.keys();
        keys.sort();
        return keys;
    };
    const auto& english = tables.main().value("en");
    ASSERT_FALSE(english.isEmpty());
    EXPECT_EQ(keysOf(tables.main().value("ko")), keysOf(english));
    // The first group of keys is in every language; the rest in English and Korean only.
    const QStringList firstGroup = keysOf(tables.main().value("de"));
    EXPECT_TRUE(firstGroup.contains("heat_protection_sub"));
    EXPECT_FALSE(firstGroup.contains("force_discharge_mode"));
    for (const QString& lang : kFiveLanguages) {
        EXPECT_EQ(keysOf(tables.main().value(lang)), firstGroup) << lang.toStdString();
        for (const QString& text : tables.main().value(lang))
            EXPECT_FALSE(text.isEmpty()) << lang.toStdString();
    }
    for (const QString& key : firstGroup)
        EXPECT_TRUE(english.contains(key)) << key.toStdString();

    ASSERT_FALSE(tables.navigation().value("en").isEmpty());
    ASSERT_FALSE(tables.displayNames().value("en").isEmpty());
    for (const QString& lang : kSevenLanguages)
        EXPECT_EQ(keysOf(tables.navigation().value(lang)), keysOf(tables.navigation().value("en")))
            << lang.toStdString();
    for (const QString& lang : kSevenLanguages + QStringList{"zh-Hans", "zh-Hant"})
        EXPECT_EQ(keysOf(tables.displayNames().value(lang)), keysOf(tables.displayNames().value("en")))
            << lang.toStdString();

    // Korean literals all have a non-Korean English fallback.
    const KoreanLiteralTable& literals = tables.koreanLiterals();
    ASSERT_FALSE(literals.rows().isEmpty());
    ASSERT_FALSE(literals.rules().isEmpty());
    for (auto it = literals.rows().cbegin(); it != literals.rows().cend(); ++it) {
        EXPECT_FALSE(it.value().isEmpty()) << it.key().toStdString();
        EXPECT_FALSE(KoreanLiteralTable::containsHangul(it.value())) << it.key().toStdString();
    }
    for (const auto& [fragment, english] : literals.rules())
        EXPECT_FALSE(KoreanLiteralTable::containsHangul(english)) << fragment.toStdString();
}

TEST(L10nTables, EveryKeyHasEnglishAndKoreanAndMatchingPlaceholders)
{
    const Translator& t = L10n::translator();
    const QStringList languages{"en", "ko", "zh-Hans", "zh-Hant", "zh", "ja", "de", "es", "fr"};
    for (const QString& key : t.knownKeys()) {
        const std::string k = key.toStdString();
        const bool literal = KoreanLiteralTable::containsHangul(key);
        // Korean literals are their own Korean text and get English from the literal table.
        const QString english = literal ? t.tr(key, "en") : L10n::tr(key, "en");
        if (literal) {
            EXPECT_FALSE(KoreanLiteralTable::containsHangul(english)) << k;
        } else {
            EXPECT_TRUE(t.hasText(key, "en")) << k;
            EXPECT_TRUE(t.hasText(key, "ko")) << k;
        }
        const int expected = placeholderCount(literal ? key : english);
        for (const QString& lang : languages) {
            if (!t.hasText(key, lang))
                continue;
            const QString text = t.tr(key, lang);
            EXPECT_EQ(placeholderCount(text), expected) << k << " " << lang.toStdString();
            EXPECT_FALSE(text.contains("%%s")) << k << " " << lang.toStdString();
            // "%%" only makes sense in a text that goes through the placeholder step.
            if (text.contains("%%")) {
                EXPECT_GT(expected, 0) << k << " " << lang.toStdString();
            }
        }
    }
}

TEST(L10nTables, EveryNamespacedKeyIsInAllEightLanguages)
{
    // The pack's keys like "settings.update.failed" (the pack spells Simplified Chinese
    // "zh-Hans") are translated into every language, Traditional Chinese included.
    const Translator& t = L10n::translator();
    const QStringList languages{"en", "ko", "zh-Hans", "zh-Hant", "ja", "de", "es", "fr"};
    int checked = 0;
    for (const QString& key : t.knownKeys()) {
        if (!key.contains(QLatin1Char('.')) || KoreanLiteralTable::containsHangul(key) || !t.hasText(key, "zh-Hans"))
            continue;
        ++checked;
        for (const QString& lang : languages)
            EXPECT_TRUE(t.hasText(key, lang)) << key.toStdString() << " " << lang.toStdString();
    }
    EXPECT_GT(checked, 300);
    for (const char* key :
         {"power.charge_limit.ignored", "dashboard.battery.limit_ignored", "settings.update.unsupported_platform"})
        EXPECT_TRUE(t.knownKeys().contains(QLatin1String(key))) << key;
}
