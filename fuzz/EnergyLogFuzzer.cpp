// The power-only energy sample log, integrated as the power page does.
#include <QDateTime>
#include <QTimeZone>

#include "FuzzSupport.h"
#include "base/JsonLines.h"
#include "power/OnlyPowerEnergySample.h"
#include "power/OnlyPowerEnergyStore.h"

using namespace vantrel;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const Paths paths = fuzz::scratchPaths();
    static const OnlyPowerEnergyStore store{paths, [] { return std::optional<double>(87.0); }, QTimeZone::utc()};
    const QByteArray bytes = fuzz::bytesOf(data, size);
    for (const auto& object : jsonl::parse(bytes))
        if (const auto sample = OnlyPowerEnergySample::fromJson(object))
            (void)OnlyPowerEnergySample::fromJson(sample->toJson());
    fuzz::writeInput(store.logURL(), bytes);
    (void)store.load(QDateTime::fromSecsSinceEpoch(1'780'000'000, QTimeZone::utc()));
    return 0;
}
