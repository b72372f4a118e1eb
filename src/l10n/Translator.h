#pragma once
// The lookup rules over one language pack and the built-in tables. L10n holds the
// process-wide instance; tests build their own with a pack of their choosing.
#include <optional>

#include <QString>
#include <QStringList>

#include "l10n/BuiltInTables.h"
#include "l10n/LanguagePack.h"

namespace vantrel {

class Translator {
public:
    Translator(LanguagePack pack, const BuiltInTables& tables);

    // Pack (candidate order), then navigation and main tables per candidate, then English,
    // then the English text of a Korean literal for non-Korean languages, then the key itself.
    QString tr(const QString& key, const QString& lang) const;
    std::optional<QString> languagePackValue(const QString& key, const QString& lang) const;
    QString displayName(const QString& name, const QString& lang) const;
    QString englishFallbackForKoreanLiteral(const QString& text) const;

    // True when the pack or a table holds a text for key under exactly lang (no fallback).
    bool hasText(const QString& key, const QString& lang) const;
    // Every key of the pack and the navigation and main tables, sorted.
    QStringList knownKeys() const;

    const LanguagePack& pack() const { return pack_; }
    const BuiltInTables& tables() const { return tables_; }

private:
    std::optional<QString> tableText(const QString& key, const QString& lang) const;

    LanguagePack pack_;
    const BuiltInTables& tables_;
};

} // namespace vantrel
