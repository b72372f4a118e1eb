#include "ui/screenshot/PageScreenshot.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QThread>

#include "l10n/L10n.h"
#include "ui/onboarding/OnboardingScreenshot.h"
#include "power/PowerPageModel.h"
#include "ui/dashboard/DashboardModel.h"
#include "ui/dashboard/DashboardPage.h"
#include "ui/power/OnlyPowerEnergyModal.h"
#include "ui/power/PowerAlertSettingsModal.h"
#include "ui/power/PowerPage.h"
#include "ui/power/PowerTelemetryFeed.h"
#include "ui/power/SafetyDrainTargetModal.h"
#include "ui/shell/MainSplitView.h"
#include "ui/shell/SidebarLayout.h"
#include "ui/shell/VantrelRootView.h"
#include "ui/style/ThemeController.h"
#include "ui/widgets/DetailSheet.h"

namespace vantrel {

namespace {

const QStringList kSheets = {QStringLiteral("dashboard.cpu"), QStringLiteral("dashboard.memory"),
                             QStringLiteral("dashboard.storage"), QStringLiteral("dashboard.sensors")};
const QStringList kPowerSheets
    = {QStringLiteral("power.drain"), QStringLiteral("power.alerts"), QStringLiteral("power.energy")};

// Runs the event loop until done() or the deadline; the dashboard's refresh arrives this way.
bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

} // namespace

QStringList screenshotTargets()
{
    return SidebarLayout::pageIdentifiers() + kSheets + kPowerSheets + onboardingScreenshotTargets();
}

bool renderPageToPng(const UiContext& context, const QString& pageId, const QString& file, const QString& lang,
                     const QString& theme, QString* error)
{
    ScreenshotRequest request;
    request.pageId = pageId;
    request.file = file;
    request.lang = lang;
    request.theme = theme;
    return renderPageToPng(context, request, error);
}

bool renderPageToPng(const UiContext& context, const ScreenshotRequest& request, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (!screenshotTargets().contains(request.pageId))
        return fail(QStringLiteral("unknown page \"%1\"; one of: %2")
                        .arg(request.pageId, screenshotTargets().join(QStringLiteral(", "))));
    if (!request.theme.isEmpty() && request.theme != QStringLiteral("light") && request.theme != QStringLiteral("dark"))
        return fail(QStringLiteral("unknown theme \"%1\"; light or dark").arg(request.theme));
    if (!request.lang.isEmpty())
        L10n::setCurrentLanguage(request.lang);
    if (onboardingScreenshotTargets().contains(request.pageId))
        return renderOnboardingToPng(context, request.pageId, request.file, request.theme, request.size, error);

    const bool powerSheet = kPowerSheets.contains(request.pageId);
    const bool sheet = kSheets.contains(request.pageId) || powerSheet;
    const QString page = powerSheet ? page::power : sheet ? page::dashboard : request.pageId;

    VantrelRootView root(context);
    if (!request.theme.isEmpty())
        root.theme().applyScheme(request.theme == QStringLiteral("dark") ? ColorScheme::dark : ColorScheme::light);
    root.setAttribute(Qt::WA_DontShowOnScreen);
    root.resize(request.size);
    root.splitView()->setSelectedPage(page);
    root.show();

    auto* dashboard = qobject_cast<DashboardPage*>(root.splitView()->currentPage());
    if (dashboard) {
        // The first refresh is applied at once; later ones come from the 2-second timer.
        const int wanted = std::max(1, request.refreshes);
        waitUntil([&] { return dashboard->model().refreshCount() >= wanted && !dashboard->model().isRefreshing(); },
                  request.timeoutMs);
    }
    if (auto* power = qobject_cast<PowerPage*>(root.splitView()->currentPage())) {
        // The readback and the first battery reading arrive on the main thread.
        waitUntil([&] { return !power->model().batteryGateValue().isEmpty() && power->telemetry().refreshCount() > 0; },
                  std::min(request.timeoutMs, 5000));
        // Switches moved by the readback slide into place.
        waitUntil([] { return false; }, std::min(request.timeoutMs, 250));
    }
    QCoreApplication::processEvents();

    QPixmap picture;
    auto* powerPage = qobject_cast<PowerPage*>(root.splitView()->currentPage());
    if (powerSheet && powerPage) {
        QDialog* modal = nullptr;
        if (request.pageId == QStringLiteral("power.drain"))
            modal = powerPage->openSafetyDrainTargetPicker();
        else if (request.pageId == QStringLiteral("power.alerts"))
            modal = powerPage->openPowerAlertSettings();
        else
            modal = powerPage->openOnlyPowerUsage();
        modal->setAttribute(Qt::WA_DontShowOnScreen);
        QCoreApplication::processEvents();
        picture = modal->grab();
        modal->close();
    } else if (sheet && dashboard) {
        DetailSheet* modal = nullptr;
        if (request.pageId == QStringLiteral("dashboard.cpu"))
            modal = dashboard->openPressureDetail(PressureDetail::cpu);
        else if (request.pageId == QStringLiteral("dashboard.memory"))
            modal = dashboard->openPressureDetail(PressureDetail::memory);
        else if (request.pageId == QStringLiteral("dashboard.storage"))
            modal = dashboard->openPressureDetail(PressureDetail::storage);
        else
            modal = dashboard->openSensorSheet();
        modal->setAttribute(Qt::WA_DontShowOnScreen);
        QCoreApplication::processEvents();
        picture = modal->grab();
        modal->close();
    } else {
        picture = root.grab();
    }
    root.hide();
    if (!picture.save(request.file, "PNG"))
        return fail(QStringLiteral("cannot write \"%1\"").arg(request.file));
    return true;
}

} // namespace vantrel
