#include "ui/style/PortalColorSchemeSetting.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace vantrel {

PortalColorSchemeSetting::PortalColorSchemeSetting(QDBusConnection bus, QObject* parent)
    : DesktopColorSchemeSetting(parent)
    , bus_(std::move(bus))
{
    if (!bus_.isConnected())
        return;
    // The signal is matched to the slot by its signature; the variant type must be known by
    // name before the first SettingChanged arrives.
    qRegisterMetaType<QDBusVariant>("QDBusVariant");
    bus_.connect(service, path, interface, QStringLiteral("SettingChanged"), this,
                 SLOT(onSettingChanged(QString, QString, QDBusVariant)));
    // Version 2 of the portal has ReadOne; older ones only the deprecated Read.
    read(QStringLiteral("ReadOne"));
}

void PortalColorSchemeSetting::read(const QString& method)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call << appearanceNamespace << colorSchemeKey;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, method](QDBusPendingCallWatcher* finished) { readFinished(finished, method); });
}

void PortalColorSchemeSetting::readFinished(QDBusPendingCallWatcher* call, const QString& method)
{
    call->deleteLater();
    const QDBusPendingReply<QDBusVariant> reply = *call;
    if (reply.isError()) {
        if (method == QStringLiteral("ReadOne") && reply.error().type() == QDBusError::UnknownMethod)
            read(QStringLiteral("Read"));
        return;
    }
    if (!changeSeen_)
        setPreference(schemeFromValue(QVariant::fromValue(reply.value())));
}

void PortalColorSchemeSetting::onSettingChanged(const QString& nameSpace, const QString& key, const QDBusVariant& value)
{
    if (nameSpace != appearanceNamespace || key != colorSchemeKey)
        return;
    changeSeen_ = true;
    setPreference(schemeFromValue(QVariant::fromValue(value)));
}

void PortalColorSchemeSetting::setPreference(std::optional<ColorScheme> preference)
{
    if (preference == preference_)
        return;
    preference_ = preference;
    Q_EMIT preferenceChanged();
}

std::optional<ColorScheme> PortalColorSchemeSetting::schemeFromValue(const QVariant& value)
{
    QVariant v = value;
    // Read wraps the value once more than ReadOne; a handful of layers is plenty.
    for (int depth = 0; depth < 4 && v.metaType() == QMetaType::fromType<QDBusVariant>(); ++depth)
        v = v.value<QDBusVariant>().variant();
    bool ok = false;
    const uint code = v.toUInt(&ok);
    if (!ok || (v.metaType().id() != QMetaType::UInt && v.metaType().id() != QMetaType::Int))
        return std::nullopt;
    switch (code) {
    case 1:
        return ColorScheme::dark;
    case 2:
        return ColorScheme::light;
    default:
        return std::nullopt;
    }
}

} // namespace vantrel
