#include "core/TextCommandBridge.h"

#include <QDateTime>
#include <QStringList>

#include "base/Log.h"
#include "daemon/DaemonClient.h"

namespace vantrel {

TextCommandBridge::TextCommandBridge(DaemonClient& daemon, Dispatch& dispatch,
                                     std::function<int()> sleepBatteryCutoffPercent)
    : daemon_(daemon)
    , dispatch_(dispatch)
    , sleepBatteryCutoffPercent_(std::move(sleepBatteryCutoffPercent))
{ }

void TextCommandBridge::sendToDaemon(const QString& command)
{
    logLine(QStringLiteral("[%1] ThermalManager: Intercepted command -> %2")
                .arg(dispatch_.clock().now().toLocalTime().toString(Qt::ISODate), command));
    const QStringList words = command.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    dispatch_.global(QoS::Background)->async([this, words] { perform(words); });
}

void TextCommandBridge::perform(const QStringList& words)
{
    if (words.size() < 2)
        return;
    bool ok = false;
    const int n = words.at(1).toInt(&ok, 10);
    if (!ok)
        return;
    const QString& word = words.at(0);
    if (word == QLatin1String("BCLM")) {
        daemon_.setChargeLimit(n);
    } else if (word == QLatin1String("DSLP")) {
        daemon_.setSystemSleepDisabledResult(n != 0, sleepBatteryCutoffPercent_(), true);
    } else if (word == QLatin1String("RPM")) {
        if (n == 0) {
            daemon_.setFanMode(0, QStringLiteral("auto"));
            daemon_.setFanMode(1, QStringLiteral("auto"));
        } else {
            daemon_.setFanMode(0, QStringLiteral("manual"));
            daemon_.setFanMode(1, QStringLiteral("manual"));
            daemon_.setFanRPM(0, n);
            daemon_.setFanRPM(1, n);
        }
    } else if (word.startsWith(QLatin1Char('F')) && word.contains(QLatin1String("Md"))) {
        const int fan = word.contains(QLatin1String("F0")) ? 0 : 1;
        daemon_.setFanMode(fan, n == 1 ? QStringLiteral("manual") : QStringLiteral("auto"));
    } else if (word.startsWith(QLatin1Char('F')) && word.contains(QLatin1String("Tg"))) {
        const int fan = word.contains(QLatin1String("F0")) ? 0 : 1;
        daemon_.setFanRPM(fan, n);
    }
}

} // namespace vantrel
