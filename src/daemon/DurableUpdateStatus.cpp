#include "daemon/DurableUpdateStatus.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <QFile>
#include <QSet>
#include <QUuid>

#include "base/JsonAccess.h"

namespace vantrel {

const QString DurableUpdateStatus::schemaVersion = QStringLiteral("vantrel_update_installation_state.v1");
const QString DurableUpdateStatus::source = QStringLiteral("durable_local_update_status");

namespace {

DurableUpdateStatus::FileStatus fileStatusOf(const struct stat& info)
{
    DurableUpdateStatus::FileStatus status;
    status.isRegularFile = S_ISREG(info.st_mode);
    status.ownerId = info.st_uid;
    status.groupId = info.st_gid;
    status.permissions = info.st_mode & 07777;
    status.size = info.st_size;
    return status;
}

// Closes the descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd)
        : fd_(fd)
    { }
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Up to limit + 1 bytes, so a file that grew past the limit after the size check is noticed.
std::optional<QByteArray> readAtMost(int fd, qint64 limit)
{
    QByteArray bytes;
    char buffer[8192];
    while (bytes.size() <= limit) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        bytes.append(buffer, n);
    }
    return bytes;
}

} // namespace

std::optional<DurableUpdateStatus::FileStatus> DurableUpdateStatus::statItem(const QString& path)
{
    struct stat info { };
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return fileStatusOf(info);
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
                                                                                    const StatusOverride& override)
{
    // A link is refused by the open itself; a FIFO opens at once and fails the type check.
    const Descriptor fd(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0)
        return std::nullopt;
    struct stat info { };
    if (::fstat(fd.get(), &info) != 0)
        return std::nullopt;
    FileStatus status = fileStatusOf(info);
    if (override)
        override(status);
    if (!status.isRegularFile || status.ownerId != requiredOwnerId || status.groupId != requiredGroupId
        || (status.permissions & 022) != 0 || status.size < 1 || status.size > maximumSize)
        return std::nullopt;

    // The size is checked again on what was read, in case the file grew after the stat.
    const auto bytes = readAtMost(fd.get(), maximumSize);
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
