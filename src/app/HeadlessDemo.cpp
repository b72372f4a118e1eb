#include "app/HeadlessDemo.h"

#include <QDir>
#include <QPixmap>

#include "app/AppDelegate.h"
#include "app/DashboardWindow.h"
#include "base/Log.h"
#include "daemon/DaemonClient.h"

namespace vantrel {

HeadlessDemo::HeadlessDemo(Dispatch& dispatch, const DaemonClient& daemon, AppDelegate& delegate, QString directory,
                           std::function<void()> finished, Timing timing)
    : dispatch_(dispatch)
    , daemon_(daemon)
    , delegate_(delegate)
    , directory_(std::move(directory))
    , finished_(std::move(finished))
    , timing_(timing)
{ }

void HeadlessDemo::start()
{
    timer_ = dispatch_.every(dispatch_.main(), timing_.interval, Duration(100),
                             weakly(this, [](HeadlessDemo* self) { self->poll(); }), Duration(0));
    dispatch_.after(dispatch_.main(), timing_.runFor, weakly(this, [](HeadlessDemo* self) { self->finish(); }));
}

QString HeadlessDemo::statusLine(const std::optional<DaemonStatus>& status)
{
    if (!status)
        return QStringLiteral("Vantrel status: daemon not reachable");
    if (!status->isOk())
        return QStringLiteral("Vantrel status: daemon answered \"%1\"").arg(status->status);
    const auto number = [](const auto& value, int decimals) {
        return value ? QString::number(double(*value), 'f', decimals) : QStringLiteral("-");
    };
    return QStringLiteral("Vantrel status: CPU %1 °C, fans %2 / %3 rpm, battery %4%")
        .arg(number(status->cpu_temp, 1), number(status->fan0, 0), number(status->fan1, 0),
             number(status->battery_percent, 0));
}

void HeadlessDemo::poll()
{
    const DaemonClient* daemon = &daemon_;
    dispatch_.global(QoS::Utility)->async([daemon, main = dispatch_.main(), guard = QPointer<HeadlessDemo>(this)] {
        const QString line = statusLine(daemon->getStatus());
        main->async([guard, line] {
            if (guard)
                logLine(line);
        });
    });
}

bool HeadlessDemo::writeScreenshots()
{
    if (!QDir().mkpath(directory_))
        return false;
    if (!delegate_.dashboardWindow())
        delegate_.showDashboardWindow();
    const QString file = directory_ + QStringLiteral("/main-window.png");
    const bool written = delegate_.dashboardWindow()->grab().save(file);
    logLine(written ? QStringLiteral("Vantrel: wrote ") + file : QStringLiteral("Vantrel: could not write ") + file);
    return written;
}

void HeadlessDemo::finish()
{
    if (timer_)
        timer_->cancel();
    if (writeScreenshots() && morePictures_)
        morePictures_(directory_);
    if (finished_)
        finished_();
}

} // namespace vantrel
