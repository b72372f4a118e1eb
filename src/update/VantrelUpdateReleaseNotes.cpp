#include "update/VantrelUpdateReleaseNotes.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vantrel {

bool VantrelUpdateReleaseNotes::Document::isStructurallyValid() const
{
    if (schemaVersion != QLatin1String("vantrel_release_notes.v1") || version.isEmpty() || bundleVersion.isEmpty()
        || localized.empty())
        return false;
    for (const auto& [language, notes] : localized) {
        const qsizetype titleBytes = notes.title.toUtf8().size();
        if (titleBytes < 1 || titleBytes > 160 || notes.items.isEmpty() || notes.items.size() > 6)
            return false;
        for (const QString& item : notes.items) {
            const qsizetype bytes = item.toUtf8().size();
            if (bytes < 1 || bytes > 500)
                return false;
        }
    }
    return true;
}

std::optional<VantrelUpdateReleaseNotes::LocalizedNotes>
VantrelUpdateReleaseNotes::Document::notes(const QString& language) const
{
    QStringList candidates;
    if (language == QLatin1String("zh-Hant"))
        candidates = {QStringLiteral("zh-Hant"), QStringLiteral("zh"), QStringLiteral("zh-Hans")};
    else if (language == QLatin1String("zh"))
        candidates = {QStringLiteral("zh"), QStringLiteral("zh-Hans"), QStringLiteral("zh-Hant")};
    else
        candidates = {language};
    candidates.append(QStringLiteral("en"));
    for (const QString& code : candidates) {
        if (const auto it = localized.find(code); it != localized.end())
            return it->second;
    }
    return std::nullopt;
}

std::optional<VantrelUpdateReleaseNotes::Document> VantrelUpdateReleaseNotes::parse(const QByteArray& bytes)
{
    QJsonParseError error{};
    const QJsonDocument json = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !json.isObject())
        return std::nullopt;
    const QJsonObject root = json.object();
    const QJsonValue schema = root.value(QStringLiteral("schema_version"));
    const QJsonValue version = root.value(QStringLiteral("version"));
    const QJsonValue bundle = root.value(QStringLiteral("bundle_version"));
    const QJsonValue localized = root.value(QStringLiteral("localized"));
    if (!schema.isString() || !version.isString() || !bundle.isString() || !localized.isObject())
        return std::nullopt;
    Document doc{schema.toString(), version.toString(), bundle.toString(), {}};
    const QJsonObject entries = localized.toObject();
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        const QJsonObject entry = it.value().toObject();
        const QJsonValue title = entry.value(QStringLiteral("title"));
        const QJsonValue items = entry.value(QStringLiteral("items"));
        if (!it.value().isObject() || !title.isString() || !items.isArray())
            return std::nullopt;
        LocalizedNotes notes{title.toString(), {}};
        for (const QJsonValue& item : items.toArray()) {
            if (!item.isString())
                return std::nullopt;
            notes.items.append(item.toString());
        }
        doc.localized.emplace(it.key(), std::move(notes));
    }
    if (!doc.isStructurallyValid())
        return std::nullopt;
    return doc;
}

std::optional<VantrelUpdateReleaseNotes::Document> VantrelUpdateReleaseNotes::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Release notes are a few kilobytes; anything far larger is not ours. Ask only for what the
    // file holds: read(n) sets aside n bytes first.
    constexpr qint64 limit = 1 << 20;
    const qint64 size = file.size();
    const QByteArray bytes = file.read(size > 0 && size < limit ? size : limit);
    return parse(bytes);
}

std::optional<VantrelUpdateReleaseNotes::Document> VantrelUpdateReleaseNotes::loadBundled()
{
    const QString installed
        = QCoreApplication::applicationDirPath() + QStringLiteral("/../share/vantrel/ReleaseNotes.json");
    if (QFile::exists(installed))
        return load(installed);
    return load(QStringLiteral(":/vantrel/ReleaseNotes.json"));
}

} // namespace vantrel
