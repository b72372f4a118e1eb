// "system" theme followed live: the desktop's stated preference (a fake, and the XDG portal
// reader against a portal stand-in on a private session bus), the platform palette otherwise.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QSignalSpy>
#include <QWidget>

#include "base/Preferences.h"
#include "support/PrivateSessionBus.h"
#include "ui/style/DesktopColorSchemeSetting.h"
#include "ui/style/PortalColorSchemeSetting.h"
#include "ui/style/ThemeController.h"

using namespace vantrel;

namespace {

class FakeDesktopSetting final : public DesktopColorSchemeSetting {
public:
    std::optional<ColorScheme> preference() const override { return value; }
    void set(std::optional<ColorScheme> v)
    {
        value = v;
        Q_EMIT preferenceChanged();
    }
    std::optional<ColorScheme> value;
};

// Runs the event loop until done() or five seconds pass (D-Bus answers arrive this way).
bool spinUntil(const std::function<bool()>& done)
{
    QDeadlineTimer deadline(5000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return done();
}

} // namespace

TEST(SystemTheme, TheDesktopPreferenceDecidesAndIsFollowedLive)
{
    MemoryPreferences prefs;
    FakeDesktopSetting desktop;
    ThemeController theme(prefs, &desktop);
    theme.setPaletteSchemeReader([] { return ColorScheme::light; });
    theme.apply();
    EXPECT_FALSE(DS::isDark()) << "no stated preference: the palette (light) decides";

    QSignalSpy changed(&theme, &ThemeController::schemeChanged);
    desktop.set(ColorScheme::dark);
    EXPECT_TRUE(DS::isDark());
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), DS::dark(DSToken::bg));
    desktop.set(std::nullopt);
    EXPECT_FALSE(DS::isDark()) << "back to the palette";
    EXPECT_EQ(changed.count(), 2);

    // A forced choice is not overridden, but "system" picks up what changed meanwhile.
    theme.setAppTheme("light");
    desktop.set(ColorScheme::dark);
    EXPECT_FALSE(DS::isDark());
    theme.setAppTheme("system");
    EXPECT_TRUE(DS::isDark());
    theme.setAppTheme("light");
}

TEST(SystemTheme, WithoutAPreferenceThePlatformPaletteIsFollowedOnThemeChangesAndSettles)
{
    MemoryPreferences prefs;
    ThemeController theme(prefs);
    ColorScheme platform = ColorScheme::light;
    int reads = 0;
    theme.setPaletteSchemeReader([&] {
        ++reads;
        return platform;
    });
    theme.apply();
    ASSERT_FALSE(DS::isDark());
    QCoreApplication::processEvents();
    reads = 0;

    // The desktop switches to dark: every window hears of the theme change; one re-read follows.
    platform = ColorScheme::dark;
    QWidget window;
    window.show();
    QWidget other;
    other.show();
    QEvent themeChange(QEvent::ThemeChange);
    QCoreApplication::sendEvent(&window, &themeChange);
    QCoreApplication::sendEvent(&other, &themeChange);
    EXPECT_FALSE(DS::isDark()) << "re-read on the next turn of the event loop";
    QCoreApplication::processEvents();
    EXPECT_TRUE(DS::isDark());
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), DS::dark(DSToken::bg));
    EXPECT_EQ(reads, 1);

    // The controller's own palette changes are not the platform's.
    reads = 0;
    theme.setAppTheme("light");
    theme.setAppTheme("system");
    QCoreApplication::processEvents();
    EXPECT_EQ(reads, 0);

    // A palette change from elsewhere is not a change of the platform's scheme.
    QApplication::setPalette(ThemeController::paletteFor(ColorScheme::light));
    QCoreApplication::processEvents();
    EXPECT_EQ(reads, 0);

    // Reading the real platform palette swaps the application palette and back; the events
    // that follow must not start another read (they did, and the event loop never rested).
    reads = 0;
    theme.setPaletteSchemeReader([&] {
        ++reads;
        return ThemeController::readPlatformPaletteScheme();
    });
    reads = 0;
    QCoreApplication::sendEvent(&window, &themeChange);
    for (int turn = 0; turn < 20; ++turn)
        QCoreApplication::processEvents();
    EXPECT_EQ(reads, 1) << "one theme change, one read";
}

TEST(SystemTheme, PortalValues)
{
    EXPECT_EQ(PortalColorSchemeSetting::schemeFromValue(QVariant(1u)), ColorScheme::dark);
    EXPECT_EQ(PortalColorSchemeSetting::schemeFromValue(QVariant(2u)), ColorScheme::light);
    EXPECT_EQ(PortalColorSchemeSetting::schemeFromValue(QVariant(0u)), std::nullopt) << "no preference";
    EXPECT_EQ(PortalColorSchemeSetting::schemeFromValue(QVariant(7u)), std::nullopt);
    EXPECT_EQ(PortalColorSchemeSetting::schemeFromValue(QVariant(QStringLiteral("1"))), std::nullopt);
    EXPECT_EQ(PortalColorSchemeSetting::schemeFromValue(QVariant()), std::nullopt);
    const QVariant nested = QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusVariant(1u))));
    EXPECT_EQ(PortalColorSchemeSetting::schemeFromValue(nested), ColorScheme::dark) << "Read wraps it once more";

    PortalColorSchemeSetting noBus(QDBusConnection(QStringLiteral("vantrel-no-such-connection")));
    EXPECT_EQ(noBus.preference(), std::nullopt);
}

namespace {

// The portal's Settings interface on a private bus: the colour scheme and its change signal.
class PortalStandIn final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    PortalStandIn(QDBusConnection bus, bool readOneToo)
        : bus_(std::move(bus))
        , readOneToo_(readOneToo)
    { }
    uint scheme = 1;
    int reads = 0;

    void change(const QString& nameSpace, const QString& key, uint value)
    {
        scheme = value;
        QDBusMessage signal = QDBusMessage::createSignal(
            PortalColorSchemeSetting::path, PortalColorSchemeSetting::interface, QStringLiteral("SettingChanged"));
        signal << nameSpace << key << QVariant::fromValue(QDBusVariant(value));
        bus_.send(signal);
    }

public Q_SLOTS:
    QDBusVariant ReadOne(const QString& nameSpace, const QString& key)
    {
        if (!readOneToo_) {
            sendErrorReply(QDBusError::UnknownMethod, QStringLiteral("no ReadOne here"));
            return {};
        }
        ++reads;
        return answer(nameSpace, key);
    }
    // The older method wraps the value in one more variant.
    QDBusVariant Read(const QString& nameSpace, const QString& key)
    {
        ++reads;
        return QDBusVariant(QVariant::fromValue(answer(nameSpace, key)));
    }

private:
    QDBusVariant answer(const QString& nameSpace, const QString& key) const
    {
        if (nameSpace == PortalColorSchemeSetting::appearanceNamespace
            && key == PortalColorSchemeSetting::colorSchemeKey)
            return QDBusVariant(scheme);
        return QDBusVariant(QString());
    }

    QDBusConnection bus_;
    bool readOneToo_;
};

void checkPortal(bool readOneToo)
{
    test::PrivateSessionBus bus;
    if (bus.address().isEmpty())
        GTEST_SKIP() << "dbus-daemon is not available";
    const QString tag = readOneToo ? QStringLiteral("v2") : QStringLiteral("v1");
    QDBusConnection serviceSide = bus.connect(QStringLiteral("portal-") + tag);
    QDBusConnection appSide = bus.connect(QStringLiteral("app-") + tag);
    ASSERT_TRUE(serviceSide.isConnected());
    PortalStandIn portal(serviceSide, readOneToo);
    ASSERT_TRUE(serviceSide.registerObject(PortalColorSchemeSetting::path, &portal, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(serviceSide.registerService(PortalColorSchemeSetting::service));

    {
        PortalColorSchemeSetting setting(appSide);
        QSignalSpy changes(&setting, &DesktopColorSchemeSetting::preferenceChanged);
        ASSERT_TRUE(spinUntil([&] { return setting.preference().has_value(); })) << tag.toStdString();
        EXPECT_EQ(setting.preference(), ColorScheme::dark);

        portal.change(PortalColorSchemeSetting::appearanceNamespace, PortalColorSchemeSetting::colorSchemeKey, 2);
        ASSERT_TRUE(spinUntil([&] { return setting.preference() == ColorScheme::light; })) << tag.toStdString();
        portal.change(QStringLiteral("org.gnome.desktop.interface"), PortalColorSchemeSetting::colorSchemeKey, 1);
        portal.change(PortalColorSchemeSetting::appearanceNamespace, PortalColorSchemeSetting::colorSchemeKey, 0);
        ASSERT_TRUE(spinUntil([&] { return !setting.preference().has_value(); }));
        EXPECT_EQ(changes.count(), 3) << "read, light, no preference; the other namespace is not ours";
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("portal-") + tag);
    QDBusConnection::disconnectFromBus(QStringLiteral("app-") + tag);
}

} // namespace

TEST(SystemTheme, PortalReaderReadsAndFollowsTheColourScheme) { checkPortal(true); }

TEST(SystemTheme, PortalReaderFallsBackToReadOnAnOlderPortal) { checkPortal(false); }

#include "SystemThemeTest.moc"
