#pragma once
// The translation tables compiled into the program (Qt resources under :/vantrel/l10n/):
// navigation titles, the main table, display names and the Korean-literal fallbacks.
#include <QHash>
#include <QString>
#include <QStringList>

#include "l10n/KoreanLiteralTable.h"

namespace vantrel {

class BuiltInTables {
public:
    // language code -> (key -> text)
    using Table = QHash<QString, QHash<QString, QString>>;

    // Loaded on first use, then read-only from any thread.
    static const BuiltInTables& shared();
    // Reads navigation.json, main.json, display_names.json and korean_literals.json from
    // directory; a file that is missing or malformed leaves its table empty (and is logged).
    static BuiltInTables load(const QString& directory);

    const Table& navigation() const { return navigation_; }
    const Table& main() const { return main_; }
    // Keyed by lower-cased internal name; "zh" carries the Simplified column.
    const Table& displayNames() const { return displayNames_; }
    const KoreanLiteralTable& koreanLiterals() const { return koreanLiterals_; }

    // Every key of the navigation and main tables.
    QStringList keys() const;

private:
    Table navigation_;
    Table main_;
    Table displayNames_;
    KoreanLiteralTable koreanLiterals_;
};

} // namespace vantrel
