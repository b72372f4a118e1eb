#include "platform/sim/SimShieldWindows.h"

#include <QJsonObject>

#include "base/JsonAccess.h"
#include "base/Log.h"

namespace vantrel {

SimShieldWindows::SimShieldWindows(Dispatch& dispatch, std::shared_ptr<DaemonTransport> transport,
                                   QString stateDirectory)
    : transport_(std::move(transport))
    , hardware_(std::move(stateDirectory))
    , reports_(dispatch.makeSerialQueue(QStringLiteral("vantrel.sim.shield"), QoS::UserInitiated))
{ }

std::vector<ShieldScreen> SimShieldWindows::screens() const
{
    std::vector<ShieldScreen> result;
    const auto hw = hardware_.read();
    if (!hw)
        return result;
    const QString model = json::string(*hw, QStringLiteral("model_name")).value_or(QString());
    int x = 0;
    if (model.startsWith(QLatin1String("MacBook"))) {
        result.push_back({QStringLiteral("sim-builtin"), true, true, QRect(0, 0, 1512, 982)});
        x = 1512;
    }
    const qint64 externals = json::integer(*hw, QStringLiteral("external_display_count")).value_or(0);
    for (qint64 i = 0; i < externals && i < 16; ++i) {
        result.push_back({QStringLiteral("sim-external-%1").arg(i + 1), false, true, QRect(x, 0, 2560, 1440)});
        x += 2560;
    }
    return result;
}

QJsonObject SimShieldWindows::simRequest(bool visible)
{
    return QJsonObject{{QStringLiteral("cmd"), QStringLiteral("sim_platform")},
                       {QStringLiteral("action"), QStringLiteral("set_shield_visible")},
                       {QStringLiteral("visible"), visible}};
}

int SimShieldWindows::show(const std::vector<ShieldScreen>& screens)
{
    shown_ = static_cast<int>(screens.size());
    if (shown_ > 0)
        report(true);
    return shown_;
}

void SimShieldWindows::hide()
{
    if (shown_ == 0)
        return;
    shown_ = 0;
    report(false);
}

void SimShieldWindows::report(bool visible)
{
    reports_->async([transport = transport_, reported = reportedUnrecorded_, message = simRequest(visible)] {
        const auto reply = transport ? transport->send(message) : std::nullopt;
        if (!(reply && json::isOkStatus(*reply)) && !reported->exchange(true))
            logLine(
                QStringLiteral("SimPlatform: the simulator did not record the shield; it is shown in the app only"));
    });
}

} // namespace vantrel
