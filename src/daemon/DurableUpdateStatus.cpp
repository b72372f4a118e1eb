#include "daemon/DurableUpdateStatus.h"

#include <sys/stat.h>

#include <QFile>
#include <QSet>
#include <QUuid>

#include "base/AtomicFile.h"
#include "base/JsonAccess.h"

namespace vantrel {

const QString DurableUpdateStatus::schemaVersion = QStringLiteral("vantrel_update_installation_state.v1");
const QString DurableUpdateStatus::source = QStringLiteral("durable_local_update_status");

std::optional<DurableUpdateStatus::FileStatus> DurableUpdateStatus::statItem(const QString& path)
{
    struct stat info { };
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    FileStatus status;
    status.isRegularFile = S_ISREG(info.st_mode);
    status.ownerId = info.st_uid;
    status.groupId = info.st_gid;
    status.permissions = info.st_mode & 07777;
    status.size = info.st_size;
    return status;
}

bool DurableUpdateStatus::isKnownState(const QString& state)
{
    static const QSet<QString> states = {QStringLiteral("preparing"),
                                         QStringLiteral("installing"),
                                         QStringLiteral("postinstall_bootstrap_authorized"),
                                         QStringLiteral("postinstall_verified"),
                                         QStringLiteral("app_relaunch_acknowledged"),
                                         QStringLiteral("rollback_pending_health"),
                                         QStringLiteral("completed"),
                                         QStringLiteral("rolled_back"),
                                         QStringLiteral("recovery_failed"),
                                         QStringLiteral("manual_recovery_required"),
                                         QStringLiteral("launch_failed")};
    return states.contains(state);
}

bool DurableUpdateStatus::isUuidString(const QString& text)
{
    if (text.size() != 36)
        return false;
    // The round trip rejects what QUuid would otherwise read as the nil UUID.
    const QUuid uuid = QUuid::fromString(text);
    return uuid.toString(QUuid::WithoutBraces).compare(text, Qt::CaseInsensitive) == 0;
}

std::optional<QJsonObject> DurableUpdateStatus::readTrustedUpdateInstallationStatus(const QString& path,
                                                                                    const StatFunction& stat)
{
    const auto status = stat(path);
    if (!status || !status->isRegularFile || status->ownerId != requiredOwnerId || status->groupId != requiredGroupId
        || (status->permissions & 022) != 0 || status->size < 1 || status->size > maximumSize)
        return std::nullopt;

    // The size is checked again on what was read, in case the file changed after the stat.
    const auto bytes = readFile(path, maximumSize);
    if (!bytes || bytes->isEmpty() || bytes->size() > maximumSize)
        return std::nullopt;
    auto object = json::parseObject(*bytes);
    if (!object)
        return std::nullopt;
    if (json::string(*object, QStringLiteral("schema_version")) != schemaVersion)
        return std::nullopt;
    const auto state = json::string(*object, QStringLiteral("state"));
    if (!state || !isKnownState(*state))
        return std::nullopt;
    const auto transaction = json::string(*object, QStringLiteral("transaction_id"));
    if (!transaction || !isUuidString(*transaction))
        return std::nullopt;

    object->insert(QStringLiteral("status"), QStringLiteral("ok"));
    object->insert(QStringLiteral("source"), source);
    return object;
}

} // namespace vantrel
