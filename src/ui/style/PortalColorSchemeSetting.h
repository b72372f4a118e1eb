#pragma once
// The XDG desktop portal's "color-scheme" setting (namespace "org.freedesktop.appearance",
// on org.freedesktop.portal.Settings): read once without blocking, then followed through the
// portal's SettingChanged signal. Without a session bus or a portal it states no preference.
#include <QDBusConnection>
#include <QDBusVariant>

#include "ui/style/DesktopColorSchemeSetting.h"

class QDBusPendingCallWatcher;

namespace vantrel {

class PortalColorSchemeSetting final : public DesktopColorSchemeSetting {
    Q_OBJECT
public:
    static inline const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
    static inline const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
    static inline const QString interface = QStringLiteral("org.freedesktop.portal.Settings");
    static inline const QString appearanceNamespace = QStringLiteral("org.freedesktop.appearance");
    static inline const QString colorSchemeKey = QStringLiteral("color-scheme");

    explicit PortalColorSchemeSetting(QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);

    std::optional<ColorScheme> preference() const override { return preference_; }

    // 1 prefers dark, 2 prefers light, 0 (no preference) and anything else nothing; the value may
    // arrive wrapped in one or more D-Bus variants.
    static std::optional<ColorScheme> schemeFromValue(const QVariant& value);

private Q_SLOTS:
    void onSettingChanged(const QString& nameSpace, const QString& key, const QDBusVariant& value);

private:
    void read(const QString& method);
    void readFinished(QDBusPendingCallWatcher* call, const QString& method);
    void setPreference(std::optional<ColorScheme> preference);

    QDBusConnection bus_;
    std::optional<ColorScheme> preference_;
    // A change seen before the first read answered wins over that answer.
    bool changeSeen_ = false;
};

} // namespace vantrel
