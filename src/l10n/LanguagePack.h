#pragma once
// The optional language pack shipped beside the application: texts by key and language that
// take precedence over the built-in tables.
#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "l10n/LanguagePackFile.h"

namespace vantrel {

class LanguagePack {
public:
    LanguagePack() = default;
    explicit LanguagePack(LocalizedStrings strings)
        : strings_(std::move(strings))
    { }

    // The wrapped form first, then the plain key -> (language -> text) object; nothing when
    // the bytes are not JSON or neither form decodes.
    static std::optional<LanguagePack> parse(const QByteArray& bytes);
    // The first location that exists and yields a map; an empty pack when none does.
    static LanguagePack loadFirst(const QStringList& locations);
    // Where the application looks: for each of "VantrelLanguagePack.json" and
    // "Localization/VantrelLanguagePack.json", the install's share/vantrel/ copy before the
    // compiled-in resource, so an installed file overrides what was built in.
    static QStringList defaultLocations();

    // The text for key in the first candidate language that has a non-empty one.
    std::optional<QString> value(const QString& key, const QStringList& candidates) const;
    bool isEmpty() const { return strings_.isEmpty(); }
    const LocalizedStrings& strings() const { return strings_; }

private:
    LocalizedStrings strings_;
};

} // namespace vantrel
