#pragma once
// English texts for Korean literals that reach the translation function as keys: exact rows,
// then ordered substring rules for longer sentences.
#include <optional>

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

namespace vantrel {

class KoreanLiteralTable {
public:
    KoreanLiteralTable() = default;

    // {"rows": {korean: english, ...}, "rules": [[fragment, english], ...]}; nothing when malformed.
    static std::optional<KoreanLiteralTable> fromJson(const QByteArray& bytes);

    // The row for the trimmed text, else the sentence of the first rule whose fragment the
    // text contains, else the text unchanged.
    QString englishFor(const QString& text) const;

    const QHash<QString, QString>& rows() const { return rows_; }
    const QList<QPair<QString, QString>>& rules() const { return rules_; }

    // True when text holds a Hangul syllable or jamo.
    static bool containsHangul(const QString& text);

private:
    QHash<QString, QString> rows_;
    QList<QPair<QString, QString>> rules_;
};

} // namespace vantrel
