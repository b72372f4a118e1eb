// The text the smc helper prints, as the sensor source parses it.
#include <QString>

#include "FuzzSupport.h"
#include "sensors/SmcToolOutputParser.h"

using namespace vantrel;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    (void)parseSmcToolOutput(text);
    return 0;
}
