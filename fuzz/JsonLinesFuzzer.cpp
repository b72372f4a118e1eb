// JSON Lines content as every log reader splits it.
#include "FuzzSupport.h"
#include "base/JsonLines.h"

using namespace vantrel;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto records = jsonl::parse(fuzz::bytesOf(data, size));
    (void)jsonl::parse(jsonl::encode(records));
    return 0;
}
