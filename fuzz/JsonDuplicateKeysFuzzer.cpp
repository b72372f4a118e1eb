// The duplicate-key scan every request and settings file goes through.
#include <QByteArrayView>

#include "FuzzSupport.h"
#include "base/JsonDuplicateKeys.h"

using namespace vantrel;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    (void)json::firstDuplicateKey(QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    return 0;
}
