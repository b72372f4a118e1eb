#include "l10n/LanguagePackFile.h"

namespace vantrel {

std::optional<LocalizedStrings> decodeLocalizedStrings(const QJsonObject& object)
{
    LocalizedStrings strings;
    strings.reserve(object.size());
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!it.value().isObject())
            return std::nullopt;
        const QJsonObject texts = it.value().toObject();
        QHash<QString, QString> byLanguage;
        byLanguage.reserve(texts.size());
        for (auto t = texts.begin(); t != texts.end(); ++t) {
            if (!t.value().isString())
                return std::nullopt;
            byLanguage.insert(t.key(), t.value().toString());
        }
        strings.insert(it.key(), std::move(byLanguage));
    }
    return strings;
}

std::optional<LanguagePackFile> LanguagePackFile::decode(const QJsonObject& object)
{
    const QJsonValue strings = object.value(QStringLiteral("strings"));
    if (!strings.isObject())
        return std::nullopt;
    LanguagePackFile file;
    const QJsonValue fallback = object.value(QStringLiteral("fallbackLanguage"));
    if (fallback.isString())
        file.fallbackLanguage = fallback.toString();
    else if (!fallback.isUndefined() && !fallback.isNull())
        return std::nullopt;
    auto decoded = decodeLocalizedStrings(strings.toObject());
    if (!decoded)
        return std::nullopt;
    file.strings = std::move(*decoded);
    return file;
}

} // namespace vantrel
