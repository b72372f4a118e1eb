#include "app/AppDelegate.h"

#include <memory>

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>

#include <gtest/gtest.h>

#include "app/DashboardWindow.h"
#include "app/WindowFrame.h"
#include "base/VirtualDispatch.h"
#include "daemon/DaemonClient.h"
#include "platform/fakes/FakeUserNotifications.h"
#include "support/FakeDaemonTransport.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"
#include "ui/widgets/DetailSheet.h"

namespace vantrel {
namespace {

// A delegate against virtual time, an in-memory daemon and preferences, with a tray.
struct DelegateFixture {
    test::TempDir tmp;
    VirtualDispatch dispatch;
    MemoryPreferences preferences;
    std::shared_ptr<test::FakeDaemonTransport> transport = std::make_shared<test::FakeDaemonTransport>();
    DaemonClient daemon{transport, QStringLiteral("/nonexistent/status.json")};
    test::FakeUserNotifications notifications;
    int terminations = 0;
    int acknowledgements = 0;
    std::function<bool()> foregroundEligibility;
    // What the launch built, in order: "admitted" (the model), "root view" (the window's content).
    QStringList built;
    std::unique_ptr<AppDelegate> delegate;

    DelegateFixture()
    {
        transport->replyOk(
            QStringLiteral("get_runtime_ownership"),
            {{QStringLiteral("channel"), QStringLiteral("production")}, {QStringLiteral("transition_fenced"), false}});
    }
    ~DelegateFixture()
    {
        if (delegate)
            delegate->applicationWillTerminate();
    }
    AppDelegate& make(QStringList arguments = {}, bool development = false, bool tray = true)
    {
        AppDelegateContext context{
            .dispatch = dispatch,
            .preferences = preferences,
            .daemon = daemon,
            .notifications = notifications,
            .launchAtLogin = nullptr,
            .environment = VantrelRuntimeEnvironment{development},
            .bundle = {},
            .lockDirectory = tmp.file(QStringLiteral("home/.local/share/Vantrel")),
            .arguments = arguments,
            .rootViewFactory = {},
            .terminate = [this] { ++terminations; },
            .systemTrayAvailable = [tray] { return tray; },
            .hooks = {},
        };
        context.hooks.startTelemetry = [this](std::function<bool()> predicate) { foregroundEligibility = predicate; };
        context.hooks.acknowledgePendingUpdateRelaunch = [this] { ++acknowledgements; };
        context.hooks.launchAdmitted = [this] { built << QStringLiteral("admitted"); };
        context.rootViewFactory = [this]() -> QWidget* {
            built << QStringLiteral("root view");
            return nullptr;
        };
        delegate = std::make_unique<AppDelegate>(std::move(context));
        return *delegate;
    }
    DashboardWindow* window() const { return delegate->dashboardWindow(); }
    bool shown() const { return window() && window()->isVisible(); }
};

TEST(AppDelegate, AdmittedLaunchPresentsTheWindowNowNextTurnAndAfterAQuarterAndThreeQuartersOfASecond)
{
    DelegateFixture f;
    AppDelegate& delegate = f.make();
    ASSERT_EQ(delegate.applicationDidFinishLaunching(), AppDelegate::LaunchOutcome::Admitted);
    EXPECT_EQ(AppDelegate::shared(), &delegate);
    EXPECT_GE(delegate.instanceLockFD(), 0);
    EXPECT_EQ(f.acknowledgements, 2);
    ASSERT_TRUE(f.shown());
    DashboardWindow* window = f.window();
    EXPECT_EQ(window->objectName(), QStringLiteral("vantrel-main"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vantrel"));
    EXPECT_EQ(window->size(), QSize(1100, 720));
    ASSERT_TRUE(delegate.statusItem());
    EXPECT_EQ(delegate.statusItem()->trayIcon().toolTip(), QStringLiteral("Vantrel"));
    EXPECT_EQ(delegate.statusItem()->trayIcon().icon().actualSize(QSize(64, 64)), QSize(18, 18));

    // Something hides the window during start-up: each scheduled presentation brings it back.
    window->hide();
    f.dispatch.runUntilIdle();
    EXPECT_TRUE(f.shown()) << "next turn of the main queue";
    window->hide();
    f.dispatch.advance(Duration(249));
    EXPECT_FALSE(f.shown());
    f.dispatch.advance(Duration(1));
    EXPECT_TRUE(f.shown()) << "0.25 s";
    window->hide();
    f.dispatch.advance(Duration(499));
    EXPECT_FALSE(f.shown());
    f.dispatch.advance(Duration(1));
    EXPECT_TRUE(f.shown()) << "0.75 s";
    window->hide();
    f.dispatch.advance(Duration(5000));
    EXPECT_FALSE(f.shown()) << "no more presentations after 0.75 s";
    EXPECT_EQ(f.window(), window) << "the window is made once";
    EXPECT_EQ(f.dispatch.pendingTimers(), 0);
}

// The title bar's brand label of a shown main window (nothing when it is missing).
QLabel* brandLabel(DashboardWindow* window)
{
    return window ? window->findChild<QLabel*>(QStringLiteral("vantrel-titlebar-brand")) : nullptr;
}

TEST(AppDelegate, TheTitleBarCarriesTheCentredBrandLabel)
{
    DelegateFixture f;
    ASSERT_EQ(f.make().applicationDidFinishLaunching(), AppDelegate::LaunchOutcome::Admitted);
    QLabel* brand = brandLabel(f.window());
    ASSERT_NE(brand, nullptr);
    EXPECT_TRUE(brand->isVisible());
    EXPECT_EQ(brand->text(), QStringLiteral("Vantrel"));
    EXPECT_DOUBLE_EQ(brand->font().pointSizeF(), 13.0);
    EXPECT_TRUE(brand->alignment() & Qt::AlignHCenter);
    const QPoint centre = brand->mapTo(f.window(), brand->rect().center());
    EXPECT_NEAR(centre.x(), f.window()->width() / 2, 2) << "centred across the window";
    EXPECT_LT(centre.y(), 40) << "at the top, above the content";
}

TEST(AppDelegate, ToggleFadesOutIgnoresTogglesMeanwhileAndSavesTheFrame)
{
    DelegateFixture f;
    AppDelegate& delegate = f.make();
    ASSERT_EQ(delegate.applicationDidFinishLaunching(), AppDelegate::LaunchOutcome::Admitted);
    f.dispatch.advance(Duration(1000));
    DashboardWindow* window = f.window();
    window->setGeometry(QRect(40, 50, 900, 600));

    delegate.toggleDashboardWindow();
    EXPECT_TRUE(delegate.isDashboardTransitioning());
    EXPECT_TRUE(f.shown());
    EXPECT_LT(window->windowOpacity(), 1.0);
    EXPECT_EQ(f.preferences.stringValue(QStringLiteral("VantrelMainWindow")), QStringLiteral("40 50 900 600"));
    delegate.toggleDashboardWindow();
    f.dispatch.advance(Duration(59));
    EXPECT_TRUE(f.shown()) << "still fading";
    f.dispatch.advance(Duration(1));
    EXPECT_FALSE(f.shown());
    EXPECT_FALSE(delegate.isDashboardTransitioning());
    EXPECT_DOUBLE_EQ(window->windowOpacity(), 1.0);
    f.dispatch.advance(Duration(1000));
    EXPECT_FALSE(f.shown()) << "the toggle during the fade was dropped";

    // Shown again at its frame; hiding without animation is immediate.
    delegate.toggleDashboardWindow();
    EXPECT_TRUE(f.shown());
    EXPECT_EQ(window->geometry(), QRect(40, 50, 900, 600));
    EXPECT_TRUE(delegate.applicationShouldTerminate());
    EXPECT_FALSE(f.shown());
    EXPECT_FALSE(delegate.applicationShouldTerminateAfterLastWindowClosed());
}

TEST(AppDelegate, AnOpenSheetHidesAndReturnsWithTheMainWindow)
{
    DelegateFixture f;
    AppDelegate& delegate = f.make();
    ASSERT_EQ(delegate.applicationDidFinishLaunching(), AppDelegate::LaunchOutcome::Admitted);
    f.dispatch.advance(Duration(1000));
    QPointer<DetailSheet> sheet = new DetailSheet(f.window());
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->open();
    ASSERT_TRUE(sheet->isVisible());

    // The status item's "Hide Vantrel", with its fade.
    Q_EMIT delegate.statusItem()->hideRequested();
    f.dispatch.advance(Duration(100));
    ASSERT_FALSE(f.shown());
    ASSERT_TRUE(sheet) << "hiding is not closing";
    EXPECT_FALSE(sheet->isVisible()) << "the sheet went with its window";

    Q_EMIT delegate.statusItem()->toggleRequested();
    ASSERT_TRUE(f.shown());
    QCoreApplication::sendPostedEvents();
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(sheet->isVisible()) << "and comes back with it";

    // A sheet the user closed stays closed.
    sheet->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(sheet);
    auto* other = new DetailSheet(f.window());
    other->open();
    other->accept();
    delegate.hideDashboardWindow(false);
    delegate.showDashboardWindow();
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(other->isVisible());
    delete other;
}

TEST(AppDelegate, ClosingHidesAndReopeningShowsTheSameWindowAtItsSavedFrame)
{
    DelegateFixture f;
    AppDelegate& delegate = f.make();
    delegate.applicationDidFinishLaunching();
    f.dispatch.advance(Duration(1000));
    DashboardWindow* window = f.window();
    window->setGeometry(QRect(30, 40, 1000, 700));
    window->close();
    EXPECT_FALSE(f.shown());
    EXPECT_EQ(f.preferences.stringValue(QStringLiteral("VantrelMainWindow")), QStringLiteral("30 40 1000 700"));
    EXPECT_TRUE(delegate.applicationShouldHandleReopen());
    EXPECT_TRUE(f.shown());
    EXPECT_EQ(f.window(), window);
    EXPECT_EQ(window->geometry(), QRect(30, 40, 1000, 700));
}

TEST(AppDelegate, SavedFrameIsRestoredOnlyWhenItIsOnAScreen)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect centred = WindowFrame::centred(QSize(1100, 720), screen);
    const struct {
        const char* saved;
        QRect expected;
    } cases[] = {
        {nullptr, centred},
        {"20 30 800 500", QRect(20, 30, 800, 500)},
        {"20000 20000 800 500", centred},
        {"garbage", centred},
        {"10 10 0 500", centred},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.saved ? c.saved : "none");
        DelegateFixture f;
        if (c.saved)
            f.preferences.setValue(QStringLiteral("VantrelMainWindow"), QString::fromLatin1(c.saved));
        f.make().showDashboardWindow();
        EXPECT_EQ(f.window()->geometry(), c.expected);
    }
}

TEST(AppDelegate, BackgroundStartShowsOnlyTheStatusItemUntilItIsClicked)
{
    DelegateFixture f;
    AppDelegate& delegate = f.make({QStringLiteral("vantrel"), QStringLiteral("--background-status-only")});
    ASSERT_EQ(delegate.applicationDidFinishLaunching(), AppDelegate::LaunchOutcome::Admitted);
    f.dispatch.advance(Duration(2000));
    EXPECT_EQ(f.window(), nullptr);
    ASSERT_TRUE(f.foregroundEligibility);
    EXPECT_FALSE(f.foregroundEligibility());

    delegate.statusItem()->statusItemClicked(StatusItem::Click::Primary);
    EXPECT_TRUE(f.shown());
    delegate.statusItem()->statusItemClicked(StatusItem::Click::None);
    f.dispatch.advance(Duration(60));
    EXPECT_FALSE(f.shown()) << "a click without an event toggles too";

    // The menu: show, separator, hide with Ctrl+Q.
    std::unique_ptr<QMenu> menu = delegate.statusItem()->makeMenu();
    const auto actions = menu->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("Show Vantrel"));
    EXPECT_TRUE(actions[0]->shortcut().isEmpty());
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->text(), QStringLiteral("Hide Vantrel"));
    EXPECT_EQ(actions[2]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    actions[0]->trigger();
    EXPECT_TRUE(f.shown());
    actions[2]->trigger();
    EXPECT_TRUE(delegate.isDashboardTransitioning()) << "hides with animation";
    f.dispatch.advance(Duration(60));
    EXPECT_FALSE(f.shown());
    EXPECT_NE(delegate.statusItem()->makeMenu().get(), nullptr);

    EXPECT_EQ(StatusItem::clickFor(QSystemTrayIcon::Context, {}), StatusItem::Click::Secondary);
    EXPECT_EQ(StatusItem::clickFor(QSystemTrayIcon::Trigger, Qt::ControlModifier),
              StatusItem::Click::PrimaryWithControl);
    EXPECT_EQ(StatusItem::clickFor(QSystemTrayIcon::Trigger, {}), StatusItem::Click::Primary);
    EXPECT_EQ(StatusItem::clickFor(QSystemTrayIcon::DoubleClick, {}), StatusItem::Click::None);

    // The telemetry's foreground predicate holds the delegate weakly.
    f.delegate.reset();
    EXPECT_FALSE(f.foregroundEligibility());
}

TEST(AppDelegate, WithoutATrayTheWindowIsTheWayInEvenForABackgroundStart)
{
    test::LogCapture log;
    DelegateFixture f;
    AppDelegate& delegate = f.make({QStringLiteral("--background-status-only")}, false, false);
    ASSERT_EQ(delegate.applicationDidFinishLaunching(), AppDelegate::LaunchOutcome::Admitted);
    EXPECT_TRUE(f.shown());
    EXPECT_FALSE(delegate.statusItem()->isInstalled());
}

TEST(AppDelegate, SecondCopyIsRefusedWithOneNotificationAndATerminate)
{
    test::LogCapture log;
    DelegateFixture first;
    ASSERT_EQ(first.make().applicationDidFinishLaunching(), AppDelegate::LaunchOutcome::Admitted);

    DelegateFixture second;
    // Same lock folder as the first copy.
    AppDelegateContext context{
        .dispatch = second.dispatch,
        .preferences = second.preferences,
        .daemon = second.daemon,
        .notifications = second.notifications,
        .launchAtLogin = nullptr,
        .environment = {},
        .bundle = {},
        .lockDirectory = first.tmp.file(QStringLiteral("home/.local/share/Vantrel")),
        .arguments = {},
        .rootViewFactory = {},
        .terminate = [&second] { ++second.terminations; },
        .systemTrayAvailable = [] { return true; },
        .hooks = {},
    };
    context.hooks.launchAdmitted = [&second] { second.built << QStringLiteral("admitted"); };
    AppDelegate refused(std::move(context));
    EXPECT_EQ(refused.applicationDidFinishLaunching(), AppDelegate::LaunchOutcome::Refused);
    EXPECT_TRUE(second.built.isEmpty()) << "a refused copy builds nothing";
    EXPECT_EQ(first.built, QStringList({QStringLiteral("admitted"), QStringLiteral("root view")}))
        << "the admitted one builds its model before its window";
    EXPECT_TRUE(second.transport->requests().empty()) << "no admission request after a lost lock";
    EXPECT_EQ(refused.statusItem(), nullptr);
    EXPECT_EQ(refused.instanceLockFD(), -1);
    EXPECT_EQ(second.terminations, 1);
    const auto requests = second.notifications.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].title, QStringLiteral("Vantrel이 이미 실행 중입니다."));
    EXPECT_EQ(log.count(QStringLiteral("Vantrel runtime admission denied: Vantrel이 이미 실행 중입니다. "
                                       "동시에 두 앱이 제어하지 않도록 중복 실행을 취소했습니다.")),
              1);
    second.dispatch.advance(Duration(10000));
    EXPECT_EQ(second.terminations, 1) << "terminated once";

    // Quitting the first copy releases the lock.
    first.delegate->applicationWillTerminate();
    EXPECT_EQ(first.delegate->instanceLockFD(), -1);
    InstanceLock again(first.tmp.file(QStringLiteral("home/.local/share/Vantrel")),
                       QStringLiteral("production-instance.lock"));
    EXPECT_EQ(again.acquire(), InstanceLock::Result::Acquired);
}

TEST(AppDelegate, RefusedRuntimeTerminatesEvenWhenTheNotificationNeverAnswers)
{
    test::LogCapture log;
    DelegateFixture f;
    f.transport->replyOk(
        QStringLiteral("get_runtime_ownership"),
        {{QStringLiteral("channel"), QStringLiteral("debug")}, {QStringLiteral("transition_fenced"), false}});
    f.notifications.setAnswerDeliveries(false);
    AppDelegate& delegate = f.make();
    EXPECT_EQ(delegate.applicationDidFinishLaunching(), AppDelegate::LaunchOutcome::Refused);
    EXPECT_EQ(delegate.dashboardWindow(), nullptr);
    EXPECT_EQ(delegate.statusItem(), nullptr);
    EXPECT_FALSE(f.foregroundEligibility) << "telemetry not started";
    ASSERT_EQ(f.notifications.requests().size(), 1u);
    EXPECT_EQ(f.notifications.requests()[0].title, QStringLiteral("Vantrel Debug가 실행 중입니다."));
    EXPECT_EQ(f.terminations, 0);
    f.dispatch.advance(Duration(5000));
    EXPECT_EQ(f.terminations, 1);
    EXPECT_TRUE(f.built.isEmpty()) << "a refused runtime builds nothing";
}

TEST(AppDelegate, DevelopmentBuildUsesItsOwnLockAndSkipsTheDaemon)
{
    DelegateFixture f;
    f.transport->reply(QStringLiteral("get_runtime_ownership"), std::nullopt);
    AppDelegate& delegate = f.make({}, true);
    ASSERT_EQ(delegate.applicationDidFinishLaunching(), AppDelegate::LaunchOutcome::Admitted);
    EXPECT_TRUE(f.transport->requests().empty());
    EXPECT_EQ(f.acknowledgements, 0);
    EXPECT_TRUE(QFile::exists(f.tmp.file(QStringLiteral("home/.local/share/Vantrel/debug-instance.lock"))));
    EXPECT_EQ(f.window()->windowTitle(), QStringLiteral("Vantrel Debug"));
    ASSERT_NE(brandLabel(f.window()), nullptr);
    EXPECT_EQ(brandLabel(f.window())->text(), QStringLiteral("Vantrel Debug"));
    EXPECT_EQ(delegate.statusItem()->trayIcon().toolTip(), QStringLiteral("Vantrel Debug"));
}

} // namespace
} // namespace vantrel
