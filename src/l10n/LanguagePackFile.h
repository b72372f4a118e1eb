#pragma once
// The language pack as stored: an optional "fallbackLanguage" and "strings", key -> language -> text.
#include <optional>

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QString>

namespace vantrel {

// key -> (language code -> text)
using LocalizedStrings = QHash<QString, QHash<QString, QString>>;

struct LanguagePackFile {
    std::optional<QString> fallbackLanguage;
    LocalizedStrings strings;

    // The wrapped form. Decoding is all or nothing: a "strings" member that is not an object of
    // objects of strings, or a "fallbackLanguage" that is not a string, yields nothing.
    static std::optional<LanguagePackFile> decode(const QJsonObject& object);
};

// The unwrapped form: every member an object that maps language codes to strings; nothing otherwise.
std::optional<LocalizedStrings> decodeLocalizedStrings(const QJsonObject& object);

} // namespace vantrel
