#include "l10n/BuiltInTables.h"

#include <QSet>

#include "base/AtomicFile.h"
#include "base/Log.h"
#include "l10n/LanguagePack.h"

namespace vantrel {
namespace {

// The data files are written key by key ({key: {language: text}}), which keeps every
// language of one text together for translators; lookups want language -> key.
BuiltInTables::Table readTable(const QString& path)
{
    BuiltInTables::Table table;
    const auto bytes = readFile(path);
    const auto pack = bytes ? LanguagePack::parse(*bytes) : std::nullopt;
    if (!pack) {
        logLine(QStringLiteral("L10n: built-in table missing or malformed: ") + path);
        return table;
    }
    for (auto entry = pack->strings().cbegin(); entry != pack->strings().cend(); ++entry) {
        for (auto text = entry->cbegin(); text != entry->cend(); ++text)
            table[text.key()].insert(entry.key(), text.value());
    }
    return table;
}

} // namespace

const BuiltInTables& BuiltInTables::shared()
{
    static const BuiltInTables tables = load(QStringLiteral(":/vantrel/l10n"));
    return tables;
}

BuiltInTables BuiltInTables::load(const QString& directory)
{
    BuiltInTables tables;
    tables.navigation_ = readTable(directory + QStringLiteral("/navigation.json"));
    tables.main_ = readTable(directory + QStringLiteral("/main.json"));
    tables.displayNames_ = readTable(directory + QStringLiteral("/display_names.json"));
    // The supported code "zh" is Simplified Chinese.
    if (tables.displayNames_.contains(QStringLiteral("zh-Hans"))
        && !tables.displayNames_.contains(QStringLiteral("zh")))
        tables.displayNames_.insert(QStringLiteral("zh"), tables.displayNames_.value(QStringLiteral("zh-Hans")));

    const QString literalsPath = directory + QStringLiteral("/korean_literals.json");
    const auto bytes = readFile(literalsPath);
    if (auto literals = bytes ? KoreanLiteralTable::fromJson(*bytes) : std::nullopt)
        tables.koreanLiterals_ = std::move(*literals);
    else
        logLine(QStringLiteral("L10n: built-in table missing or malformed: ") + literalsPath);
    return tables;
}

QStringList BuiltInTables::keys() const
{
    QSet<QString> keys;
    for (const Table* table : {&navigation_, &main_}) {
        for (const auto& byKey : *table) {
            for (auto it = byKey.cbegin(); it != byKey.cend(); ++it)
                keys.insert(it.key());
        }
    }
    QStringList list(keys.cbegin(), keys.cend());
    list.sort();
    return list;
}

} // namespace vantrel
