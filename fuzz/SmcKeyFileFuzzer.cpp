// The SMC key file: parsed, rendered again, and the rendering parsed back.
#include <cstdlib>
#include <string_view>

#include "smc/SmcKeyFile.h"

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto file = smc::SmcKeyFile::parse(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const auto& entry : file.entries()) {
        (void)entry.value();
        (void)smc::formatReadLine(entry);
    }
    const auto again = smc::SmcKeyFile::parse(smc::SmcKeyFile::render(file.entries()));
    // Whatever was accepted once must survive its own rendering.
    if (again.entries().size() != file.entries().size())
        std::abort();
    return 0;
}
