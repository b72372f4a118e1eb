#include <QRegularExpression>

#include <gtest/gtest.h>

#include "l10n/BuiltInTables.h"
#include "l10n/L10n.h"
#include "l10n/Translator.h"

using namespace vantrel;

namespace {

const QStringList kSevenLanguages{"en", "ko", "zh", "ja", "de", "es", "fr"};
const QStringList kFiveLanguages{"zh", "ja", "de", "es", "fr"};

int placeholderCount(const QString& text)
{
    return int(text.count(QLatin1String("%s")));
}

} // namespace

TEST(L10nTables, NavigationAndMainTablesHaveTheirLanguages)
{
    const auto& tables = BuiltInTables::shared();
    for (const QString& lang : kSevenLanguages)
        EXPECT_EQ(tables.navigation().value(lang).size(), 17) << lang.toStdString();
    const auto& english = tables.main().value("en");
    EXPECT_EQ(english.size(), 204);
    EXPECT_EQ(tables.main().value("ko").size(), 204);
    for (auto it = english.cbegin(); it != english.cend(); ++it) {
        EXPECT_FALSE(it.value().isEmpty()) << it.key().toStdString();
        EXPECT_FALSE(tables.main().value("ko").value(it.key()).isEmpty()) << it.key().toStdString();
    }
    // The first group of keys is in every language; the rest in English and Korean only.
    for (const QString& lang : kFiveLanguages) {
        const auto& texts = tables.main().value(lang);
        EXPECT_EQ(texts.size(), 103) << lang.toStdString();
        EXPECT_TRUE(texts.contains("heat_protection_sub")) << lang.toStdString();
        EXPECT_FALSE(texts.contains("force_discharge_mode")) << lang.toStdString();
        for (auto it = texts.cbegin(); it != texts.cend(); ++it)
            EXPECT_TRUE(english.contains(it.key())) << it.key().toStdString();
    }
    EXPECT_EQ(english.value("tab_keep"), QStringLiteral("Sleep System"));
    EXPECT_EQ(english.value("auto_disable_sub"),
              QStringLiteral("Automatically terminates the virtual display when a real external monitor is detected."));
    EXPECT_TRUE(english.value("sailing_sub").startsWith(
        "Charge Protector stops charging at the upper target, lets the battery drift down to the lower band, "
        "then resumes charging to reduce repeated 1% c"));
}

TEST(L10nTables, DisplayNamesAndKoreanLiterals)
{
    const auto& tables = BuiltInTables::shared();
    for (const QString& lang : kSevenLanguages + QStringList{"zh-Hans", "zh-Hant"})
        EXPECT_EQ(tables.displayNames().value(lang).size(), 37) << lang.toStdString();
    EXPECT_EQ(tables.displayNames().value("en").value("safety_drain_active"), QStringLiteral("Charge blocked"));

    const KoreanLiteralTable& literals = tables.koreanLiterals();
    EXPECT_EQ(literals.rows().size(), 230);
    for (auto it = literals.rows().cbegin(); it != literals.rows().cend(); ++it) {
        EXPECT_FALSE(it.value().isEmpty()) << it.key().toStdString();
        EXPECT_FALSE(KoreanLiteralTable::containsHangul(it.value())) << it.key().toStdString();
    }
    EXPECT_EQ(literals.rows().value("현재"), QStringLiteral("Current"));
    EXPECT_EQ(literals.rows().value("복구"), QStringLiteral("Restore"));
    EXPECT_EQ(literals.rows().value("macOS 기본"), QStringLiteral("macOS Default"));
    ASSERT_FALSE(literals.rules().isEmpty());
    EXPECT_EQ(literals.rules().first().first, QStringLiteral("대시보드 화면"));
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
