// Dashboard figures against a real vantrel-sim started for the run: refresh time (collection
// and apply), paint time of the page, resident memory with the window shown. Also renders
// every built page and sheet in every language, light and dark (--screenshots DIR).
#include <algorithm>
#include <memory>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include "app/PlatformBackends.h"
#include "base/Paths.h"
#include "base/Preferences.h"
#include "base/QtDispatch.h"
#include "daemon/DaemonClient.h"
#include "daemon/DaemonSocketTransport.h"
#include "l10n/L10n.h"
#include "platform/PlatformServices.h"
#include "power/HeatProtectionAlertCenter.h"
#include "power/PowerSourceMonitor.h"
#include "sensors/LocalActivitySampler.h"
#include "sensors/SMCHelper.h"
#include "ui/dashboard/DashboardCollector.h"
#include "ui/dashboard/DashboardModel.h"
#include "ui/dashboard/DashboardPage.h"
#include "ui/screenshot/PageScreenshot.h"
#include "ui/shell/MainSplitView.h"
#include "ui/shell/UiState.h"
#include "ui/shell/VantrelRootView.h"

namespace {

using namespace vantrel;

// The simulator and everything the screens are built with, for the whole run.
struct SimRig {
    QTemporaryDir root;
    QProcess sim;
    std::unique_ptr<QtDispatch> dispatch;
    std::unique_ptr<Paths> paths;
    MemoryPreferences preferences;
    UiState state;
    std::shared_ptr<DaemonClient> daemon;
    std::shared_ptr<SMCHelper> smc;
    std::shared_ptr<PowerSourceMonitor> power;
    std::shared_ptr<LocalActivitySampler> sampler;
    PlatformServices platform;
    std::unique_ptr<HeatProtectionAlertCenter> alerts;
    QString error;

    bool start()
    {
        const QString bin = QCoreApplication::applicationDirPath();
        qputenv("VANTREL_ROOT", root.path().toUtf8());
        paths = std::make_unique<Paths>(Paths::fromEnvironment());
        QDir().mkpath(root.path() + QStringLiteral("/tmp"));
        sim.setProgram(bin + QStringLiteral("/vantrel-sim"));
        sim.setArguments({QStringLiteral("--background")});
        sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        sim.start();
        if (!sim.waitForStarted(5000)) {
            error = QStringLiteral("vantrel-sim did not start from ") + bin;
            return false;
        }
        dispatch = std::make_unique<QtDispatch>();
        daemon = std::make_shared<DaemonClient>(
            std::make_shared<DaemonSocketTransport>(*dispatch, paths->daemonSocket(), false));
        QElapsedTimer wait;
        wait.start();
        while (!daemon->getStatus()) {
            if (wait.elapsed() > 10000) {
                error = QStringLiteral("vantrel-sim does not answer on ") + paths->daemonSocket();
                return false;
            }
            QThread::msleep(50);
        }
        platform = makePlatform(PlatformKind::Sim, *paths);
        smc = std::make_shared<SMCHelper>(platform.processRunner, bin + QStringLiteral("/vantrel-smc"));
        smc->refreshAll();
        state.setAllSensors(smc->cachedReadings());
        state.setSupportsSafeFanControl(true);
        power = std::make_shared<PowerSourceMonitor>(platform.powerSources, platform.batteryRegistry, platform.pmset,
                                                     smc);
        sampler = std::make_shared<LocalActivitySampler>(platform.hostStatistics, platform.processTable,
                                                         [p = power] { return p->localBatteryActivity(); });
        alerts = std::make_unique<HeatProtectionAlertCenter>([] { return 35.0; });
        return true;
    }

    UiContext context()
    {
        UiContext c;
        c.dispatch = dispatch.get();
        c.preferences = &preferences;
        c.daemon = daemon;
        c.state = &state;
        c.activitySampler = sampler;
        c.systemProfiler = platform.systemProfiler;
        c.heatAlerts = alerts.get();
        c.quit = [] {};
        return c;
    }

    ~SimRig()
    {
        if (sim.state() != QProcess::NotRunning) {
            sim.terminate();
            if (!sim.waitForFinished(3000))
                sim.kill();
        }
    }
};

SimRig* gRig = nullptr;

void spinUntil(const std::function<bool()>& done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

qint64 residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// One refresh as the page does it: the collection on a utility queue, the apply on the main
// thread; timed from the call to the moment the result is on the model.
void BM_DashboardRefreshAgainstSim(benchmark::State& state)
{
    DashboardModel model(
        *gRig->dispatch,
        std::make_shared<DashboardCollector>(gRig->daemon, gRig->sampler, gRig->platform.systemProfiler));
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        model.refresh(true);
        spinUntil([&] { return !model.isRefreshing(); });
        state.SetIterationTime(double(t.nsecsElapsed()) / 1e9);
    }
    state.counters["exchanges"] = 4;
}
BENCHMARK(BM_DashboardRefreshAgainstSim)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

// The collection alone, on the calling thread (four exchanges and the local fallbacks).
void BM_DashboardCollectionOnly(benchmark::State& state)
{
    DashboardCollector collector(gRig->daemon, gRig->sampler, gRig->platform.systemProfiler);
    DashboardRefreshResult seed;
    for (auto _ : state) {
        seed = collector.collect(DashboardRefreshSeed(seed), QStringLiteral("macOS"), QDateTime::currentDateTime());
        benchmark::DoNotOptimize(seed);
    }
}
BENCHMARK(BM_DashboardCollectionOnly)->Unit(benchmark::kMillisecond)->Iterations(50);

// Paints the whole root view (sidebar and dashboard with data) into an image.
void BM_DashboardPaint(benchmark::State& state)
{
    VantrelRootView root(gRig->context());
    root.setAttribute(Qt::WA_DontShowOnScreen);
    root.resize(1100, 720);
    root.show();
    auto* page = qobject_cast<DashboardPage*>(root.splitView()->currentPage());
    spinUntil([&] { return page->model().hasRefreshed(); });
    QCoreApplication::processEvents();
    QImage image(root.size() * root.devicePixelRatio(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        root.render(&painter);
    }
    root.hide();
}
BENCHMARK(BM_DashboardPaint)->Unit(benchmark::kMillisecond)->Iterations(100);

// Puts the simulated Mac to work so the pictures show a policy, spinning fans and events.
void stageBusyMac()
{
    DaemonClient& d = *gRig->daemon;
    d.send({{"cmd", "sim_load"}, {"cpu_percent", 65}, {"gpu_percent", 30}});
    d.send({{"cmd", "set_battery_config"},
            {"enabled", true},
            {"limit", 80},
            {"charge_protector", true},
            {"drop", 5},
            {"heat_protect", true},
            {"max_temp", 35},
            {"safety_drain", false},
            {"safety_drain_target_mode", "charge_limit"}});
    d.send({{"cmd", "set_fan_config"},
            {"mode", "manual"},
            {"unified", true},
            {"preset_name", "curve_balance"},
            {"smart_app_preset", false},
            {"left_points", DaemonClient::encodeCurve({{40, 25}, {60, 45}, {80, 80}, {95, 100}})},
            {"right_points", QJsonArray()}});
}

int renderScreenshots(const QString& dir, const QStringList& languages, int refreshes, QSize size)
{
    QDir().mkpath(dir);
    int failures = 0;
    const QStringList targets = {QStringLiteral("dashboard"),         QStringLiteral("power"),
                                 QStringLiteral("dashboard.cpu"),     QStringLiteral("dashboard.memory"),
                                 QStringLiteral("dashboard.storage"), QStringLiteral("dashboard.sensors")};
    for (const QString& lang : languages)
        for (const QString& theme : {QStringLiteral("light"), QStringLiteral("dark")})
            for (const QString& target : targets) {
                ScreenshotRequest request;
                request.pageId = target;
                request.lang = lang;
                request.theme = theme;
                request.refreshes = target == QStringLiteral("dashboard") ? refreshes : 1;
                request.size = size;
                request.file = QStringLiteral("%1/%2-%3-%4.png").arg(dir, target, lang, theme);
                // The sensor sheet reads the central state's SMC readings; take them now.
                gRig->smc->refreshAll();
                gRig->state.setAllSensors(gRig->smc->cachedReadings());
                QString error;
                if (!renderPageToPng(gRig->context(), request, &error)) {
                    qWarning("%s", qPrintable(error));
                    ++failures;
                }
            }
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SimRig rig;
    gRig = &rig;
    if (!rig.start()) {
        qWarning("%s", qPrintable(rig.error));
        return 2;
    }
    const QStringList args = app.arguments();
    if (const int at = int(args.indexOf(QStringLiteral("--screenshots"))); at >= 0 && at + 1 < args.size()) {
        const int refreshes = args.contains(QStringLiteral("--quick")) ? 1 : 6;
        if (args.contains(QStringLiteral("--busy")))
            stageBusyMac();
        // "--smallest" renders at the window's minimum size; "--tall" makes it tall enough to
        // show the whole dashboard without scrolling, for looking at every card.
        QSize size(1100, 720);
        if (args.contains(QStringLiteral("--smallest")))
            size = VantrelRootView(rig.context()).minimumSize();
        if (args.contains(QStringLiteral("--tall")))
            size.setHeight(1500);
        // "--langs en,ko": only those languages; every supported language otherwise.
        QStringList languages = L10n::supportedLanguages();
        if (const int l = int(args.indexOf(QStringLiteral("--langs"))); l >= 0 && l + 1 < args.size())
            languages = args.at(l + 1).split(QLatin1Char(','), Qt::SkipEmptyParts);
        return renderScreenshots(args.at(at + 1), languages, refreshes, size);
    }

    // "--memory": only the resident memory, in a process that has run nothing else.
    if (!args.contains(QStringLiteral("--memory"))) {
        ::benchmark::Initialize(&argc, argv);
        ::benchmark::RunSpecifiedBenchmarks();
        ::benchmark::Shutdown();
    }

    // Resident memory with the window shown and the dashboard live.
    VantrelRootView root(rig.context());
    root.setAttribute(Qt::WA_DontShowOnScreen);
    root.resize(1100, 720);
    const qint64 before = residentKilobytes();
    root.show();
    auto* page = qobject_cast<DashboardPage*>(root.splitView()->currentPage());
    spinUntil([&] { return page->model().hasRefreshed(); });
    QElapsedTimer t;
    t.start();
    spinUntil([&] { return t.elapsed() > 10000; }); // five more refreshes
    std::printf("resident memory with the window shown: %lld kB (%lld kB before showing it)\n",
                static_cast<long long>(residentKilobytes()), static_cast<long long>(before));
    return 0;
}
