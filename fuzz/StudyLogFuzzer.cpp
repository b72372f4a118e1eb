// The study sample log, read whole and from an offset as the incremental reader does.
#include <QJsonObject>

#include "FuzzSupport.h"
#include "power/StudyLogReader.h"

using namespace vantrel;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path = fuzz::scratchDirectory() + QStringLiteral("/study.jsonl");
    fuzz::FileHarness::shared().place(fuzz::bytesOf(data, size), {path});
    int count = 0;
    StudyLogReader::forEachObject(path, [&](const QJsonObject&) { ++count; });
    const qint64 offset = StudyLogReader::forEachObjectFrom(
        path, static_cast<qint64>(size / 2), [&](const QJsonObject&) { ++count; }, 0.0, 2e9);
    (void)offset;
    return 0;
}
