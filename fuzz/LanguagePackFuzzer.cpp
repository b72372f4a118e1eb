// A language pack file as the translator loads it.
#include "FuzzSupport.h"
#include "l10n/LanguagePack.h"

using namespace vantrel;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto pack = LanguagePack::parse(fuzz::bytesOf(data, size));
    if (pack)
        (void)pack->value(QStringLiteral("Fans"), {QStringLiteral("ko"), QStringLiteral("en")});
    return 0;
}
