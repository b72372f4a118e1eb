// The real shield windows, offscreen: one black, frameless, always-on-top window per built-in
// screen that swallows clicks and never takes focus, driven through the shield controller.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include "base/VirtualDispatch.h"
#include "sleep/SafetyLockShieldController.h"
#include "support/TempDir.h"
#include "ui/shield/QtShieldWindows.h"
#include "ui/shield/ShieldPanel.h"

using namespace vantrel;

TEST(ShieldWindows, BuiltInPanelsAreLaptopConnectors)
{
    EXPECT_TRUE(QtShieldWindows::isPanelConnector(QStringLiteral("eDP-1")));
    EXPECT_TRUE(QtShieldWindows::isPanelConnector(QStringLiteral("LVDS1")));
    EXPECT_TRUE(QtShieldWindows::isPanelConnector(QStringLiteral("DSI-1")));
    EXPECT_FALSE(QtShieldWindows::isPanelConnector(QStringLiteral("HDMI-A-1")));
    EXPECT_FALSE(QtShieldWindows::isPanelConnector(QStringLiteral("DP-2")));
    EXPECT_FALSE(QtShieldWindows::isPanelConnector(QString()));

    // The offscreen screen is no laptop panel: by default nothing is covered.
    QtShieldWindows windows;
    for (const ShieldScreen& s : windows.screens())
        EXPECT_FALSE(s.builtIn) << "[" << s.displayId.toStdString() << "]";
}

TEST(ShieldWindows, ShieldCoversTheScreenStaysOnTopAndNeverTakesFocus)
{
    // Something of the application's own has the focus before the lid closes.
    QLineEdit editor;
    editor.show();
    editor.activateWindow();
    editor.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));

    test::TempDir temp;
    const Paths paths = temp.paths();
    QDir().mkpath(paths.tmpDirectory());
    VirtualDispatch dispatch;
    auto windows = std::make_shared<QtShieldWindows>([](const QScreen*) { return true; });
    SafetyLockShieldController controller(dispatch, paths, windows);

    const bool shown = controller.showBuiltInDisplayShieldOnce(QStringLiteral("lid closed pre-arm"));
    QFile log(paths.appLogFile());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString logText = QString::fromUtf8(log.readAll());
    ASSERT_TRUE(shown) << logText.toStdString();
    EXPECT_TRUE(logText.contains(QStringLiteral("SafetyLockShield: shown on built-in displays count=")));
    const QList<QScreen*> screens = QGuiApplication::screens();
    ASSERT_EQ(windows->panels().size(), static_cast<size_t>(screens.size()));
    ShieldPanel* panel = windows->panels().front().get();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel));

    const Qt::WindowFlags flags = panel->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(panel->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(panel->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(panel->screen(), screens.front());
    EXPECT_EQ(panel->geometry(), screens.front()->geometry());

    // Opaque black all over.
    const QImage image = panel->grab().toImage();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(image.width() - 1, image.height() - 1), QColor(Qt::black));

    // The platform handles the panel as one that takes no focus.
    ASSERT_NE(panel->windowHandle(), nullptr);
    EXPECT_TRUE(panel->windowHandle()->flags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(panel->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));

    // The application's window keeps (or at once gets back) the focus; the shield is neither active
    // nor focused, even where the platform activates every window shown (as offscreen does).
    EXPECT_TRUE(QTest::qWaitForWindowActive(&editor));
    EXPECT_EQ(QApplication::activeWindow(), &editor);
    EXPECT_TRUE(editor.hasFocus());
    EXPECT_FALSE(panel->isActiveWindow());

    // Clicks land on the shield and go no further, and still do not focus it.
    QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(20, 20));
    QApplication::processEvents();
    EXPECT_EQ(panel->swallowedMouseEvents(), 2);
    EXPECT_FALSE(panel->isActiveWindow());
    EXPECT_EQ(QApplication::activeWindow(), &editor);

    controller.releaseShield(QStringLiteral("lid opened without safety lock"));
    EXPECT_TRUE(windows->panels().empty());
    EXPECT_FALSE(controller.isShieldVisible());
}
