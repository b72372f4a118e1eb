#include <QDirIterator>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include "base/AtomicFile.h"
#include "l10n/KoreanLiteralTable.h"
#include "l10n/L10n.h"
#include "l10n/Translator.h"

using namespace vantrel;

namespace {

// The call shapes documented in L10n.h, with the key as a string literal (optionally
// wrapped in QStringLiteral), and any literal that names a key of a translation namespace
// ("fan.status.apply_success_named"): status keys travel through variables before L10n sees them.
QStringList keysUsedIn(const QString& source)
{
    static const QRegularExpression call(QStringLiteral(
        R"re(L10n::(?:tr|format|formatList|key)\s*\(\s*(?:QStringLiteral\s*\(\s*)?"((?:[^"\\]|\\.)*)")re"));
    static const QRegularExpression namespaced(QStringLiteral(
        R"re("((?:common|convenience|dashboard|detail|fan|power|sensor|settings|sleep|survival|state|feature)(?:\.[a-z0-9_]+)+)")re"));
    // Page identifiers of the screenshot tool that share a key prefix.
    static const QStringList notKeys{"dashboard.cpu", "dashboard.memory", "dashboard.storage", "dashboard.sensors",
                                     "power.drain",   "power.alerts",     "power.energy",      "settings.update"};
    QStringList keys;
    for (auto it = call.globalMatch(source); it.hasNext();) {
        QString key = it.next().captured(1);
        key.replace(QLatin1String("\\\""), QLatin1String("\""));
        key.replace(QLatin1String("\\n"), QLatin1String("\n"));
        key.replace(QLatin1String("\\\\"), QLatin1String("\\"));
        keys << key;
    }
    for (auto it = namespaced.globalMatch(source); it.hasNext();) {
        const QString key = it.next().captured(1);
        if (!notKeys.contains(key) && !keys.contains(key))
            keys << key;
    }
    return keys;
}

// Text for key in English and Korean, or for a Korean literal an English text.
void expectEnglishAndKorean(const QString& key, const QString& where)
{
    const Translator& t = L10n::translator();
    const std::string context = key.toStdString() + " (" + where.toStdString() + ")";
    if (KoreanLiteralTable::containsHangul(key)) {
        const QString english = t.tr(key, "en");
        EXPECT_NE(english, key) << context;
        EXPECT_FALSE(KoreanLiteralTable::containsHangul(english)) << context;
        return;
    }
    EXPECT_TRUE(t.hasText(key, "en")) << context;
    EXPECT_TRUE(t.hasText(key, "ko")) << context;
}

} // namespace

TEST(L10nKeys, ScannerFindsTheCallShapesAndNamespacedLiterals)
{
    const QString source
        = QStringLiteral("label->setText(L10n::tr(\"dcs_dashboard\"));\n"
                         "auto s = L10n::tr( QStringLiteral(\"tab_status\"), lang);\n"
                         "status = L10n::format(\"fan.status.apply_success_named\", name);\n"
                         "L10n::formatList(\"sleep.status.battery_cutoff_blocked\", {a, b, c}, lang);\n"
                         "spec.title = L10n::key(\"feature.sleep.app_nap\");\n"
                         "L10n::tr(\"대기 중\"); L10n::tr(\"say \\\"hi\\\"\");\n"
                         "L10n::displayName(\"curve_x\"); tr(\"not.ours\");\n"
                         "statusKey_ = QStringLiteral(\"power.status.webhook_failure\"); show(\"dashboard.cpu\"); "
                         "q(\"global.default\");\n");
    EXPECT_EQ(keysUsedIn(source),
              (QStringList{"dcs_dashboard", "tab_status", "fan.status.apply_success_named",
                           "sleep.status.battery_cutoff_blocked", "feature.sleep.app_nap", "대기 중", "say \"hi\"",
                           "power.status.webhook_failure"}));
}

TEST(L10nKeys, EveryKeyUsedInTheSourceTreeHasEnglishAndKorean)
{
    QDirIterator files(QStringLiteral(VANTREL_SOURCE_DIR "/src"), {"*.cpp", "*.h"}, QDir::Files,
                       QDirIterator::Subdirectories);
    int found = 0;
    while (files.hasNext()) {
        const QString path = files.next();
        const auto bytes = readFile(path);
        ASSERT_TRUE(bytes) << path.toStdString();
        for (const QString& key : keysUsedIn(QString::fromUtf8(*bytes))) {
            ++found;
            expectEnglishAndKorean(key, path.mid(QStringLiteral(VANTREL_SOURCE_DIR).size() + 1));
        }
    }
    // At least the examples in L10n.h are found, so the scan itself is working.
    EXPECT_GE(found, 5);
}
