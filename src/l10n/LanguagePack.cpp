#include "l10n/LanguagePack.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>

#include "base/AtomicFile.h"
#include "base/Log.h"

namespace vantrel {
namespace {

// The pack is a few hundred kilobytes; anything far larger is not a language pack.
constexpr qint64 kMaxPackBytes = 16LL * 1024 * 1024;

// share/vantrel/ of the installation the running binary belongs to (<prefix>/bin/..).
QString installedShareDirectory()
{
    if (!QCoreApplication::instance())
        return {};
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/vantrel"));
}

} // namespace

std::optional<LanguagePack> LanguagePack::parse(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    if (auto file = LanguagePackFile::decode(object))
        return LanguagePack(std::move(file->strings));
    if (auto plain = decodeLocalizedStrings(object))
        return LanguagePack(std::move(*plain));
    return std::nullopt;
}

LanguagePack LanguagePack::loadFirst(const QStringList& locations)
{
    for (const QString& location : locations) {
        if (!QFileInfo(location).isFile())
            continue;
        const auto bytes = readFile(location, kMaxPackBytes);
        if (!bytes) {
            logLine(QStringLiteral("L10n: language pack not readable: ") + location);
            continue;
        }
        if (auto pack = parse(*bytes))
            return std::move(*pack);
        logLine(QStringLiteral("L10n: language pack not decodable: ") + location);
    }
    return {};
}

QStringList LanguagePack::defaultLocations()
{
    const QString share = installedShareDirectory();
    QStringList locations;
    for (const QString& name :
         {QStringLiteral("VantrelLanguagePack.json"), QStringLiteral("Localization/VantrelLanguagePack.json")}) {
        if (!share.isEmpty())
            locations << share + QLatin1Char('/') + name;
        locations << QStringLiteral(":/vantrel/l10n/") + name;
    }
    return locations;
}

std::optional<QString> LanguagePack::value(const QString& key, const QStringList& candidates) const
{
    const auto entry = strings_.constFind(key);
    if (entry == strings_.cend())
        return std::nullopt;
    for (const QString& language : candidates) {
        const auto text = entry->constFind(language);
        if (text != entry->cend() && !text->isEmpty())
            return *text;
    }
    return std::nullopt;
}

} // namespace vantrel
