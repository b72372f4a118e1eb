// status, sensors, update status and raw: commands that only read (raw sends what it is given).
#include <memory>

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>

#include "base/JsonAccess.h"
#include "base/Paths.h"
#include "daemon/DaemonClient.h"
#include "platform/linux/LinuxProcessRunner.h"
#include "sensors/SMCHelper.h"
#include "tools/vantrelctl/CtlCommands.h"
#include "tools/vantrelctl/CtlTransport.h"

namespace vantrel {
namespace {

QString reading(const std::optional<double>& value, const QString& unit)
{
    return value ? QString::number(*value, 'f', 1) + unit : QStringLiteral("not reported");
}

QString reading(const std::optional<qint64>& value, const QString& unit)
{
    return value ? QString::number(*value) + unit : QStringLiteral("not reported");
}

template <typename T> QJsonValue jsonValue(const std::optional<T>& value)
{
    return value ? QJsonValue(*value) : QJsonValue();
}

// The installed tool, else the one built beside this program (as the application chooses).
QString smcToolPath(const CtlContext& ctx)
{
    const QString installed = ctx.paths.smcTool();
    if (QFileInfo(installed).isExecutable())
        return installed;
    const QString built = QDir(ctx.programDirectory).filePath(QStringLiteral("vantrel-smc"));
    return QFileInfo(built).isExecutable() ? built : installed;
}

} // namespace

std::optional<CtlResult> exchangeFailure(const CtlContext& ctx, const std::optional<QJsonObject>& reply)
{
    if (!reply)
        return CtlResult::noReply(ctx.socketPath);
    if (!json::isOkStatus(*reply))
        return CtlResult::refused(*reply);
    return std::nullopt;
}

CtlResult runStatus(const CtlContext& ctx)
{
    const auto status = ctx.client.getStatus();
    if (!status || ctx.transport.lastWentUnanswered())
        return CtlResult::noReply(ctx.socketPath);
    CtlResult r;
    if (!status->isOk())
        r = CtlResult::refused(ctx.transport.exchanges().back().reply.value_or(QJsonObject()));
    r.lines << (status->isOk() ? QStringLiteral("Daemon: connected")
                               : QStringLiteral("Daemon: answered with status \"%1\"").arg(status->status))
            << QStringLiteral("CPU temperature: ") + reading(status->cpu_temp, QStringLiteral(" °C"))
            << QStringLiteral("Fan 0: ") + reading(status->fan0, QStringLiteral(" rpm"))
            << QStringLiteral("Fan 1: ") + reading(status->fan1, QStringLiteral(" rpm"))
            << QStringLiteral("Battery: ") + reading(status->battery_percent, QStringLiteral(" %"));
    r.fields = {{QStringLiteral("daemon_status"), status->status},
                {QStringLiteral("cpu_temp"), jsonValue(status->cpu_temp)},
                {QStringLiteral("fan0"), jsonValue(status->fan0)},
                {QStringLiteral("fan1"), jsonValue(status->fan1)},
                {QStringLiteral("battery_percent"), jsonValue(status->battery_percent)}};
    return r;
}

CtlResult runSensors(const CtlContext& ctx)
{
    const QString tool = smcToolPath(ctx);
    SMCHelper smc(std::make_shared<LinuxProcessRunner>(), tool);
    smc.refreshAll();
    const SMCHelper::Caches caches = smc.snapshot();
    CtlResult r;
    if (caches.values.isEmpty()) {
        r.exitCode = CtlResult::NoReply;
        r.message = QStringLiteral("no readings from the smc tool at ") + tool;
    }
    QJsonArray sensors;
    for (const SensorCatalogueEntry& entry : SMCHelper::sensorMap()) {
        std::optional<double> value;
        for (const SensorReading& reading : caches.readings)
            if (reading.key == entry.key)
                value = reading.value;
        r.lines << QStringLiteral("%1 (%2): %3").arg(entry.label, entry.key, reading(value, QStringLiteral(" °C")));
        sensors.append(QJsonObject{{QStringLiteral("key"), entry.key},
                                   {QStringLiteral("label"), entry.label},
                                   {QStringLiteral("category"), sensorCategoryName(entry.category)},
                                   {QStringLiteral("celsius"), jsonValue(value)}});
    }
    const auto fan = [&](const char* key) {
        const auto it = caches.values.constFind(QString::fromLatin1(key));
        return it == caches.values.constEnd() ? std::nullopt : std::optional<qint64>(qRound64(*it));
    };
    const auto fan0 = fan("F0Ac");
    const auto fan1 = fan("F1Ac");
    r.lines << QStringLiteral("Fan 0: ") + reading(fan0, QStringLiteral(" rpm"))
            << QStringLiteral("Fan 1: ") + reading(fan1, QStringLiteral(" rpm"));
    r.fields = {{QStringLiteral("smc_tool"), tool},
                {QStringLiteral("sensors"), sensors},
                {QStringLiteral("fan0_rpm"), jsonValue(fan0)},
                {QStringLiteral("fan1_rpm"), jsonValue(fan1)}};
    return r;
}

CtlResult runUpdateStatus(const CtlContext& ctx)
{
    auto reply = ctx.client.send(QJsonObject{{QStringLiteral("cmd"), QStringLiteral("get_update_installation_state")}});
    // Without the daemon, the durable status file it leaves behind still tells the state.
    if (!reply)
        reply = ctx.client.getUpdateInstallationState();
    if (auto failure = exchangeFailure(ctx, reply))
        return *failure;
    CtlResult r;
    const QString state = json::string(*reply, QStringLiteral("state")).value_or(QStringLiteral("unknown"));
    const QString id = json::string(*reply, QStringLiteral("transaction_id")).value_or(QString());
    const QString source = json::string(*reply, QStringLiteral("source")).value_or(QStringLiteral("daemon"));
    r.lines << QStringLiteral("Update installation: ") + state;
    if (!id.isEmpty())
        r.lines << QStringLiteral("Transaction: ") + id;
    if (source != QLatin1String("daemon"))
        r.lines << QStringLiteral("Read from: ") + source;
    r.fields = {{QStringLiteral("state"), state},
                {QStringLiteral("transaction_id"), id.isEmpty() ? QJsonValue() : QJsonValue(id)},
                {QStringLiteral("source"), source}};
    return r;
}

CtlResult runRaw(const CtlContext& ctx, const CtlCommand& command)
{
    const auto reply = ctx.client.send(command.request);
    if (!reply)
        return CtlResult::noReply(ctx.socketPath);
    CtlResult r = json::isOkStatus(*reply) ? CtlResult() : CtlResult::refused(*reply);
    r.lines << QString::fromUtf8(json::compact(*reply));
    return r;
}

} // namespace vantrel
