#include "sensors/SMCHelper.h"

#include <QStringDecoder>

#include "sensors/SmcToolOutputParser.h"

namespace vantrel {
namespace {

// Readings outside this open interval are not temperatures of this machine.
constexpr double kReadingLow = 0.0;
constexpr double kReadingHigh = 150.0;

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
{
}

const std::vector<SensorCatalogueEntry>& SMCHelper::sensorMap()
{
    static const std::vector<SensorCatalogueEntry> map = {
        {QStringLiteral("TPMP"), QStringLiteral("CPU P-Core Avg"), QStringLiteral("CPU")},
        {QStringLiteral("TPDX"), QStringLiteral("CPU P-Core Max"), QStringLiteral("CPU")},
        {QStringLiteral("TCHP"), QStringLiteral("CPU Hotspot"), QStringLiteral("CPU")},
        {QStringLiteral("TCMz"), QStringLiteral("CPU Die Top"), QStringLiteral("CPU")},
        {QStringLiteral("TG0D"), QStringLiteral("GPU Die"), QStringLiteral("GPU")},
        {QStringLiteral("TPVD"), QStringLiteral("GPU VRAM"), QStringLiteral("GPU")},
        {QStringLiteral("TB0T"), QStringLiteral("Battery Cell 0"), QStringLiteral("Battery")},
        {QStringLiteral("TB1T"), QStringLiteral("Battery Cell 1"), QStringLiteral("Battery")},
        {QStringLiteral("TB2T"), QStringLiteral("Battery Cell 2"), QStringLiteral("Battery")},
        {QStringLiteral("TD00"), QStringLiteral("SSD Ch0"), QStringLiteral("SSD")},
        {QStringLiteral("TD10"), QStringLiteral("SSD Ch1"), QStringLiteral("SSD")},
        {QStringLiteral("TAOL"), QStringLiteral("Ambient"), QStringLiteral("Airflow")},
        {QStringLiteral("Ts0P"), QStringLiteral("Palm Rest L"), QStringLiteral("Airflow")},
        {QStringLiteral("Ts1P"), QStringLiteral("Palm Rest R"), QStringLiteral("Airflow")},
        {QStringLiteral("TMVR"), QStringLiteral("Memory VR"), QStringLiteral("Other")},
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
    QStringList invocations;
    for (const QString& key : keysToRead())
        invocations << commandPrefix_ + smcPath_ + QStringLiteral(" -k ") + key + QStringLiteral(" -r");
    return invocations.join(QStringLiteral("; "));
}

SMCHelper::Caches SMCHelper::cachesFromOutput(QStringView output)
{
    Caches c;
    c.values = parseSmcToolOutput(output);
    for (const auto& row : sensorMap()) {
        const auto it = c.values.constFind(row.key);
        if (it != c.values.constEnd() && *it > kReadingLow && *it < kReadingHigh)
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
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(result.standardOutput);
    if (utf8.hasError())
        return;
    Caches fresh = cachesFromOutput(text);
    std::lock_guard lock(lock_);
    caches_ = std::move(fresh);
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
