#include "update/VantrelReleaseManifest.h"

#include <cmath>

#include <QJsonDocument>
#include <QJsonObject>

namespace vantrel {

namespace {

bool readString(const QJsonObject& o, const char* key, QString& out)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isString())
        return false;
    out = v.toString();
    return true;
}

// A JSON number that is a whole number within the 64-bit range.
bool readInteger(const QJsonObject& o, const char* key, qint64& out)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isDouble())
        return false;
    const double d = v.toDouble();
    if (!std::isfinite(d) || std::trunc(d) != d || std::fabs(d) > 9.0e15)
        return false;
    out = static_cast<qint64>(d);
    return true;
}

} // namespace

std::optional<VantrelReleaseManifest> VantrelReleaseManifest::decode(const QByteArray& bytes)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonObject root = doc.object();
    VantrelReleaseManifest m;
    if (!readString(root, "schema_version", m.schemaVersion) || !readString(root, "channel", m.channel)
        || !readString(root, "version", m.version) || !readString(root, "bundle_version", m.bundleVersion)
        || !readString(root, "platform", m.platform) || !readString(root, "minimum_macos", m.minimumMacOS))
        return std::nullopt;
    const QJsonValue artifact = root.value(QStringLiteral("artifact"));
    if (!artifact.isObject())
        return std::nullopt;
    const QJsonObject a = artifact.toObject();
    if (!readString(a, "file_name", m.artifact.fileName) || !readString(a, "url", m.artifact.url)
        || !readString(a, "sha256", m.artifact.sha256) || !readInteger(a, "size_bytes", m.artifact.sizeBytes))
        return std::nullopt;
    return m;
}

} // namespace vantrel
