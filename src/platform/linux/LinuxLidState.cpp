#include "platform/linux/LinuxLidState.h"

#include <QDBusVariant>
#include <QDir>

#include "platform/linux/LinuxDBusCall.h"
#include "platform/linux/PseudoFile.h"

namespace vantrel {

LinuxLidState::LinuxLidState(QString acpiLidDirectory, QString systemBusAddress, bool useLogind)
    : acpiLidDirectory_(std::move(acpiLidDirectory))
    , systemBusAddress_(std::move(systemBusAddress))
    , useLogind_(useLogind)
{ }

std::optional<bool> LinuxLidState::lidClosed() const
{
    if (useLogind_) {
        if (const auto closed = fromLogind())
            return closed;
    }
    return fromAcpi();
}

std::optional<bool> LinuxLidState::fromLogind() const
{
    const auto reply
        = linuxdbus::call(linuxdbus::bus(QDBusConnection::SystemBus, systemBusAddress_),
                          QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                          QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                          {QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("LidClosed")}, nullptr);
    if (!reply || reply->arguments().isEmpty())
        return std::nullopt;
    const QVariant value = qvariant_cast<QDBusVariant>(reply->arguments().constFirst()).variant();
    if (value.typeId() != QMetaType::Bool)
        return std::nullopt;
    return value.toBool();
}

std::optional<bool> LinuxLidState::parseAcpiState(const QByteArray& text)
{
    const QByteArray simplified = text.simplified();
    if (!simplified.startsWith("state:"))
        return std::nullopt;
    const QByteArray value = simplified.mid(6).trimmed();
    if (value == "closed")
        return true;
    if (value == "open")
        return false;
    return std::nullopt;
}

std::optional<bool> LinuxLidState::fromAcpi() const
{
    const QDir dir(acpiLidDirectory_);
    for (const QString& entry : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const auto text = linuxfs::readPseudoFile(dir.filePath(entry) + QStringLiteral("/state"), 4096);
        if (!text)
            continue;
        if (const auto closed = parseAcpiState(*text))
            return closed;
    }
    return std::nullopt;
}

} // namespace vantrel
