#include "ui/screenshot/PageScreenshot.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QThread>

#include "l10n/L10n.h"
#include "power/PowerPageModel.h"
#include "tweaks/FeatureCatalogue.h"
#include "ui/convenience/ConveniencePage.h"
#include "ui/dashboard/DashboardModel.h"
#include "ui/dashboard/DashboardPage.h"
#include "ui/fancurve/CalibrationSheet.h"
#include "ui/fancurve/FanCurvePage.h"
#include "ui/fancurve/SmartAppPresetSheet.h"
#include "ui/onboarding/OnboardingScreenshot.h"
#include "ui/power/OnlyPowerEnergyModal.h"
#include "ui/power/PowerAlertSettingsModal.h"
#include "ui/power/PowerPage.h"
#include "ui/power/PowerTelemetryFeed.h"
#include "ui/power/SafetyDrainTargetModal.h"
#include "ui/settings/SettingsPage.h"
#include "ui/shell/MainSplitView.h"
#include "ui/shell/SidebarLayout.h"
#include "ui/shell/VantrelRootView.h"
#include "ui/sleep/SleepPage.h"
#include "ui/sleep/SleepPageModel.h"
#include "ui/style/ThemeController.h"
#include "ui/widgets/DetailSheet.h"
#include "ui/widgets/FeatureDetailModal.h"

namespace vantrel {

namespace {

const QStringList kSheets = {QStringLiteral("dashboard.cpu"), QStringLiteral("dashboard.memory"),
                             QStringLiteral("dashboard.storage"), QStringLiteral("dashboard.sensors")};
// The fan page's sheets: the smart-app rules, calibration, and the mode and preset cards' detail views.
const QStringList kFanSheets
    = {QStringLiteral("fancurve.smartapp"), QStringLiteral("fancurve.calibration"), QStringLiteral("fancurve.detail.1"),
       QStringLiteral("fancurve.detail.2"), QStringLiteral("fancurve.detail.8"),    QStringLiteral("fancurve.detail.9"),
       QStringLiteral("fancurve.detail.10")};

// Opens the fan page's sheet named by pageId.
QDialog* openFanSheet(FanCurvePage& page, const QString& pageId)
{
    if (pageId == QStringLiteral("fancurve.smartapp"))
        return page.openSmartAppSheet();
    if (pageId == QStringLiteral("fancurve.calibration"))
        return page.openCalibrationSheet();
    return page.openCardDetail(pageId.section(QLatin1Char('.'), 2).toInt());
}

const QStringList kPowerSheets
    = {QStringLiteral("power.drain"), QStringLiteral("power.alerts"), QStringLiteral("power.energy")};
// The settings page in a state of its own: the update card while a package downloads.
const QString kSettingsUpdate = QStringLiteral("settings.update");

// Each feature's explanation sheet: the page, ".detail." and the feature number.
QStringList featureSheets()
{
    QStringList sheets;
    for (const FeatureSpec& spec : FeatureCatalogue::sleepSpecs())
        sheets << page::sleep + QStringLiteral(".detail.") + QString::number(spec.id);
    for (const FeatureSpec& spec : FeatureCatalogue::convenienceSpecs())
        sheets << page::convenience + QStringLiteral(".detail.") + QString::number(spec.id);
    return sheets;
}

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
    return SidebarLayout::pageIdentifiers() + kSheets + kFanSheets + kPowerSheets + featureSheets()
        + QStringList{kSettingsUpdate} + onboardingScreenshotTargets();
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
    const bool fanSheet = kFanSheets.contains(request.pageId);
    const bool featureSheet = featureSheets().contains(request.pageId);
    const bool sheet = kSheets.contains(request.pageId) || powerSheet;
    const QString page = featureSheet       ? request.pageId.section(QLatin1Char('.'), 0, 0)
        : powerSheet                        ? page::power
        : fanSheet                          ? page::fanCurve
        : sheet                             ? page::dashboard
        : request.pageId == kSettingsUpdate ? page::settings
                                            : request.pageId;

    VantrelRootView root(context);
    if (!request.theme.isEmpty())
        root.theme().applyScheme(request.theme == QStringLiteral("dark") ? ColorScheme::dark : ColorScheme::light);
    root.setAttribute(Qt::WA_DontShowOnScreen);
    root.resize(request.size);
    root.splitView()->setSelectedPage(page);
    root.show();

    if (auto* settings = qobject_cast<SettingsPage*>(root.splitView()->currentPage());
        settings && request.pageId == kSettingsUpdate) {
        // Where the daemon installs no updates the card says so instead of downloading.
        waitUntil([&] { return !settings->isCheckingPlatform(); }, std::min(request.timeoutMs, 2000));
        settings->previewDownload(0.42);
    }
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
    if (auto* sleep = qobject_cast<SleepPage*>(root.splitView()->currentPage())) {
        // The hardware profile decides the rows; the first battery reading fills the chart.
        waitUntil([&] { return sleep->model().hardwareKnown() && sleep->telemetry().refreshCount() > 0; },
                  std::min(request.timeoutMs, 5000));
        waitUntil([] { return false; }, std::min(request.timeoutMs, 250));
    }
    QCoreApplication::processEvents();

    QPixmap picture;
    auto* powerPage = qobject_cast<PowerPage*>(root.splitView()->currentPage());
    auto* fanPage = qobject_cast<FanCurvePage*>(root.splitView()->currentPage());
    if (featureSheet) {
        const int id = request.pageId.section(QLatin1Char('.'), 2, 2).toInt();
        FeatureDetailModal* modal = nullptr;
        if (auto* sleep = qobject_cast<SleepPage*>(root.splitView()->currentPage()))
            modal = sleep->openDetail(id);
        else if (auto* convenience = qobject_cast<ConveniencePage*>(root.splitView()->currentPage()))
            modal = convenience->openDetail(id);
        if (!modal)
            return fail(QStringLiteral("no page shows \"%1\"").arg(request.pageId));
        modal->setAttribute(Qt::WA_DontShowOnScreen);
        QCoreApplication::processEvents();
        picture = modal->grab();
        modal->close();
    } else if (powerSheet && powerPage) {
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
    } else if (fanSheet && fanPage) {
        QDialog* modal = openFanSheet(*fanPage, request.pageId);
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
