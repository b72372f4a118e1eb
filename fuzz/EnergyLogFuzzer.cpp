// The power-only energy sample log, integrated as the power page does.
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
    auto& harness = fuzz::FileHarness::shared();
    static const OnlyPowerEnergyStore store{harness.paths(), [] { return std::optional<double>(87.0); },
                                            QTimeZone::utc()};
    const QByteArray bytes = fuzz::bytesOf(data, size);
    for (const auto& object : jsonl::parse(bytes))
        if (const auto sample = OnlyPowerEnergySample::fromJson(object))
            (void)OnlyPowerEnergySample::fromJson(sample->toJson());
    harness.place(bytes, {store.logURL()});
    (void)store.load(harness.now());
    return 0;
}
