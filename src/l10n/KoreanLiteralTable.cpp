#include "l10n/KoreanLiteralTable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vantrel {

std::optional<KoreanLiteralTable> KoreanLiteralTable::fromJson(const QByteArray& bytes)
{
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject root = document.object();
    const QJsonValue rows = root.value(QStringLiteral("rows"));
    const QJsonValue rules = root.value(QStringLiteral("rules"));
    if (!rows.isObject() || !rules.isArray())
        return std::nullopt;

    KoreanLiteralTable table;
    const QJsonObject rowObject = rows.toObject();
    for (auto it = rowObject.begin(); it != rowObject.end(); ++it) {
        if (!it.value().isString())
            return std::nullopt;
        table.rows_.insert(it.key(), it.value().toString());
    }
    for (const QJsonValue& rule : rules.toArray()) {
        const QJsonArray pair = rule.toArray();
        if (pair.size() != 2 || !pair[0].isString() || !pair[1].isString() || pair[0].toString().isEmpty())
            return std::nullopt;
        table.rules_.append({pair[0].toString(), pair[1].toString()});
    }
    return table;
}

QString KoreanLiteralTable::englishFor(const QString& text) const
{
    const QString trimmed = text.trimmed();
    if (const auto row = rows_.constFind(trimmed); row != rows_.cend())
        return *row;
    for (const auto& [fragment, english] : rules_) {
        if (text.contains(fragment))
            return english;
    }
    return text;
}

bool KoreanLiteralTable::containsHangul(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x1100 && u <= 0x11FF) || (u >= 0x3130 && u <= 0x318F) || (u >= 0xA960 && u <= 0xA97F)
            || (u >= 0xAC00 && u <= 0xD7A3) || (u >= 0xD7B0 && u <= 0xD7FF))
            return true;
    }
    return false;
}

} // namespace vantrel
