#include "ui/dashboard/EvidenceTimeline.h"

#include <QDateTime>
#include <QJsonArray>
#include <QLocale>
#include <QRegularExpression>

#include "base/JsonAccess.h"
#include "l10n/L10n.h"

namespace vantrel::dashboard {

QString evidenceCategory(const QString& text)
{
    static const std::pair<const char*, const char*> words[] = {
        {"cool", "cooling"}, {"battery", "power"}, {"charge", "power"},    {"power", "power"},   {"drain", "power"},
        {"heat", "heat"},    {"sleep", "sleep"},   {"clamshell", "sleep"}, {"display", "sleep"}, {"awake", "sleep"},
    };
    const QString lower = text.toLower();
    for (const auto& [word, category] : words)
        if (lower.contains(QLatin1String(word)))
            return QString::fromLatin1(category);
    return QStringLiteral("policy");
}

DSToken evidenceCategoryColor(const QString& category)
{
    if (category == QStringLiteral("cooling"))
        return DSToken::cyan;
    if (category == QStringLiteral("power"))
        return DSToken::green;
    if (category == QStringLiteral("heat"))
        return DSToken::red;
    if (category == QStringLiteral("sleep"))
        return DSToken::blue;
    return DSToken::grey;
}

QString evidenceTime(const QString& createdAt)
{
    const QLocale posix(QLocale::English, QLocale::UnitedStates);
    const QDateTime t = posix.toDateTime(createdAt.trimmed(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return t.isValid() ? t.toString(QStringLiteral("HH:mm:ss")) : QStringLiteral("--:--:--");
}

QString evidenceWord(const QString& value, const QString& lang)
{
    const QString trimmed = value.trimmed();
    const QString shown = L10n::displayName(trimmed, lang);
    if (shown != trimmed)
        return shown;
    static const QRegularExpression identifier(QStringLiteral("^[a-z][a-z0-9]*(_[a-z0-9]+)+$"));
    if (!identifier.match(trimmed).hasMatch())
        return shown;
    QString words = trimmed;
    words.replace(QLatin1Char('_'), QLatin1Char(' '));
    words[0] = words[0].toUpper();
    return words;
}

std::vector<EvidenceEntry> parseEvidenceEvents(const QJsonObject& reply)
{
    std::vector<EvidenceEntry> out;
    const auto events = json::array(reply, QStringLiteral("events"));
    if (!events)
        return out;
    for (const QJsonValue& v : *events) {
        if (!v.isObject())
            continue;
        const QJsonObject e = v.toObject();
        EvidenceEntry entry;
        entry.policyId = json::string(e, QStringLiteral("policy_id")).value_or(QString());
        entry.action = json::string(e, QStringLiteral("action")).value_or(QString());
        entry.summary = json::string(e, QStringLiteral("summary")).value_or(QString());
        entry.trigger = json::string(e, QStringLiteral("trigger")).value_or(QString());
        entry.resultState = json::string(e, QStringLiteral("result_state")).value_or(QString());
        entry.time = evidenceTime(json::string(e, QStringLiteral("created_at")).value_or(QString()));
        entry.category = evidenceCategory(
            QStringList{entry.policyId, entry.action, entry.summary, entry.trigger}.join(QLatin1Char(' ')));
        entry.color = evidenceCategoryColor(entry.category);
        out.push_back(std::move(entry));
    }
    return out;
}

} // namespace vantrel::dashboard
