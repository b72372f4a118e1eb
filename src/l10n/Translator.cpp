#include "l10n/Translator.h"

#include <QSet>

#include "l10n/L10n.h"

namespace vantrel {
namespace {

std::optional<QString> lookup(const BuiltInTables::Table& table, const QString& lang, const QString& key)
{
    const auto byKey = table.constFind(lang);
    if (byKey == table.cend())
        return std::nullopt;
    const auto text = byKey->constFind(key);
    if (text == byKey->cend())
        return std::nullopt;
    return *text;
}

bool isKorean(const QString& lang) { return lang == QLatin1String("ko") || lang.startsWith(QLatin1String("ko-")); }

} // namespace

Translator::Translator(LanguagePack pack, const BuiltInTables& tables)
    : pack_(std::move(pack))
    , tables_(tables)
{ }

std::optional<QString> Translator::tableText(const QString& key, const QString& lang) const
{
    if (auto text = lookup(tables_.navigation(), lang, key))
        return text;
    return lookup(tables_.main(), lang, key);
}

QString Translator::tr(const QString& key, const QString& lang) const
{
    const QStringList candidates = L10n::languageCandidates(lang);
    if (auto text = pack_.value(key, candidates))
        return *text;
    for (const QString& candidate : candidates) {
        if (auto text = tableText(key, candidate))
            return *text;
    }
    if (auto text = tableText(key, QStringLiteral("en")))
        return *text;
    if (!isKorean(lang) && KoreanLiteralTable::containsHangul(key))
        return englishFallbackForKoreanLiteral(key);
    return key;
}

std::optional<QString> Translator::languagePackValue(const QString& key, const QString& lang) const
{
    return pack_.value(key, L10n::languageCandidates(lang));
}

QString Translator::displayName(const QString& name, const QString& lang) const
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return name;
    const QString translated = tr(trimmed, lang);
    if (translated != trimmed)
        return translated;

    const QString lowered = trimmed.toLower();
    QStringList languages = L10n::languageCandidates(lang);
    languages << QStringLiteral("en");
    for (const QString& candidate : languages) {
        if (auto text = lookup(tables_.displayNames(), candidate, lowered))
            return *text;
    }
    if (trimmed.startsWith(QLatin1String("curve_")))
        return trimmed.mid(6).replace(QLatin1Char('_'), QLatin1Char(' '));
    return trimmed;
}

QString Translator::englishFallbackForKoreanLiteral(const QString& text) const
{
    return tables_.koreanLiterals().englishFor(text);
}

bool Translator::hasText(const QString& key, const QString& lang) const
{
    return pack_.value(key, {lang}).has_value() || tableText(key, lang).has_value();
}

QStringList Translator::knownKeys() const
{
    QSet<QString> keys;
    for (auto it = pack_.strings().cbegin(); it != pack_.strings().cend(); ++it)
        keys.insert(it.key());
    for (const QString& key : tables_.keys())
        keys.insert(key);
    QStringList list(keys.cbegin(), keys.cend());
    list.sort();
    return list;
}

} // namespace vantrel
