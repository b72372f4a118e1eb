#include "sensors/SMCHelper.h"

#include <QStringDecoder>

#include "base/ShellQuote.h"

#include "sensors/SmcToolOutputParser.h"

namespace vantrel {
namespace {

int truncatedRPM(const QHash<QString, double>& values, const QString& key)
{
    // Values are below kSmcValueLimit in magnitude, so the conversion cannot overflow.
    return static_cast<int>(values.value(key, 0.0));
}

} // namespace

SMCHelper::SMCHelper(std::shared_ptr<ProcessRunner> runner, QString smcPath, QString commandPrefix)
    : runner_(std::move(runner))
    , smcPath_(std::move(smcPath))
    , commandPrefix_(std::move(commandPrefix))
{ }

const std::vector<SensorCatalogueEntry>& SMCHelper::sensorMap()
{
    static const std::vector<SensorCatalogueEntry> map = {
        {QStringLiteral("TPMP"), QStringLiteral("CPU P-Core Avg"), SensorCategory::CPU},
        {QStringLiteral("TPDX"), QStringLiteral("CPU P-Core Max"), SensorCategory::CPU},
        {QStringLiteral("TCHP"), QStringLiteral("CPU Hotspot"), SensorCategory::CPU},
        {QStringLiteral("TCMz"), QStringLiteral("CPU Die Top"), SensorCategory::CPU},
        {QStringLiteral("TG0D"), QStringLiteral("GPU Die"), SensorCategory::GPU},
        {QStringLiteral("TPVD"), QStringLiteral("GPU VRAM"), SensorCategory::GPU},
        {QStringLiteral("TB0T"), QStringLiteral("Battery Cell 0"), SensorCategory::Battery},
        {QStringLiteral("TB1T"), QStringLiteral("Battery Cell 1"), SensorCategory::Battery},
        {QStringLiteral("TB2T"), QStringLiteral("Battery Cell 2"), SensorCategory::Battery},
        {QStringLiteral("TD00"), QStringLiteral("SSD Ch0"), SensorCategory::SSD},
        {QStringLiteral("TD10"), QStringLiteral("SSD Ch1"), SensorCategory::SSD},
        {QStringLiteral("TAOL"), QStringLiteral("Ambient"), SensorCategory::Airflow},
        {QStringLiteral("Ts0P"), QStringLiteral("Palm Rest L"), SensorCategory::Airflow},
        {QStringLiteral("Ts1P"), QStringLiteral("Palm Rest R"), SensorCategory::Airflow},
        {QStringLiteral("TMVR"), QStringLiteral("Memory VR"), SensorCategory::Other},
    };
    return map;
}

const QStringList& SMCHelper::keysToRead()
{
    static const QStringList keys = [] {
        QStringList k;
        for (const auto& row : sensorMap())
            k << row.key;
        k << QStringLiteral("F0Ac") << QStringLiteral("F1Ac") << QStringLiteral("PSTR") << QStringLiteral("PCPC")
          << QStringLiteral("ACID");
        return k;
    }();
    return keys;
}

QString SMCHelper::commandText() const
{
    // The path is quoted: an installation folder with a space or a quote must not split or
    // inject into the shell line.
    const QString tool = commandPrefix_ + shellQuoted(smcPath_);
    QStringList invocations;
    for (const QString& key : keysToRead())
        invocations << tool + QStringLiteral(" -k ") + key + QStringLiteral(" -r");
    return invocations.join(QStringLiteral("; "));
}

SMCHelper::Caches SMCHelper::cachesFromOutput(QStringView output)
{
    Caches c;
    c.values = parseSmcToolOutput(output);
    for (const auto& row : sensorMap()) {
        const auto it = c.values.constFind(row.key);
        if (it != c.values.constEnd() && catalogueReadingRange.contains(*it))
            c.readings.push_back(SensorReading{QUuid::createUuid(), row.key, row.label, row.category, *it});
    }
    c.fan0 = truncatedRPM(c.values, QStringLiteral("F0Ac"));
    c.fan1 = truncatedRPM(c.values, QStringLiteral("F1Ac"));
    if (const auto p = c.values.constFind(QStringLiteral("TPMP")); p != c.values.constEnd())
        c.cpuTemp = *p;
    else if (const auto h = c.values.constFind(QStringLiteral("TCHP")); h != c.values.constEnd())
        c.cpuTemp = *h;
    else
        c.cpuTemp = defaultCPUTemperature;
    return c;
}

void SMCHelper::refreshAll()
{
    const ProcessResult result = runner_->run(QStringLiteral("/bin/bash"), {QStringLiteral("-c"), commandText()});
    if (!result.launched)
        return;
    applyToolOutput(result.standardOutput);
}

bool SMCHelper::applyToolOutput(const QByteArray& standardOutput)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(standardOutput);
    if (utf8.hasError())
        return false;
    Caches fresh = cachesFromOutput(text);
    std::lock_guard lock(lock_);
    caches_ = std::move(fresh);
    return true;
}

std::vector<SensorReading> SMCHelper::cachedReadings() const
{
    std::lock_guard lock(lock_);
    return caches_.readings;
}

SMCHelper::Caches SMCHelper::snapshot() const
{
    std::lock_guard lock(lock_);
    return caches_;
}

} // namespace vantrel
