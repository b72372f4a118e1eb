#include "daemonserver/SettingsFile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonDocument>

#include "base/AtomicFile.h"
#include "base/JsonAccess.h"

namespace vantrel::daemonserver {

bool SettingsFile::exists() const { return QFileInfo(path_).isFile(); }

SettingsFile::Loaded SettingsFile::load() const
{
    Loaded result;
    if (!exists())
        return result;
    QString error;
    const auto bytes = readFile(path_, 1 << 20);
    const auto object = bytes ? json::parseObject(*bytes, &error) : std::nullopt;
    if (!object) {
        result.status = LoadStatus::Invalid;
        result.error = bytes ? error : QStringLiteral("unreadable or larger than 1 MiB");
        return result;
    }
    result.status = LoadStatus::Loaded;
    result.settings = *object;
    return result;
}

bool SettingsFile::storeSection(const QString& section, const QJsonValue& value, double epochSeconds)
{
    const Loaded current = load();
    // A damaged file is replaced rather than kept: the running state is the better copy.
    QJsonObject settings = current.status == LoadStatus::Loaded ? current.settings : QJsonObject{};
    settings.insert(QStringLiteral("schema_version"), schema_);
    settings.insert(
        QStringLiteral("updated_at"),
        QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(epochSeconds * 1000.0), Qt::UTC).toString(Qt::ISODate));
    settings.insert(section, value);
    const auto mode
        = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    return writeFileAtomically(path_, QJsonDocument(settings).toJson(QJsonDocument::Indented), mode);
}

} // namespace vantrel::daemonserver
