#include "sensors/NativeSmcKeyLineReader.h"

#include <algorithm>

#include "platform/SmcUserClient.h"
#include "sensors/NativeSMC.h"
#include "smc/SmcKeyFile.h"

namespace vantrel {

NativeSmcKeyLineReader::NativeSmcKeyLineReader(NativeSMC& smc)
    : smc_(smc)
{ }

std::optional<std::string> NativeSmcKeyLineReader::readLines(const QStringList& keys)
{
    std::string out;
    int answered = 0;
    for (const QString& key : keys) {
        SMCVal_t val;
        val.key = key;
        // A failed call means no connection or a broken service, not a missing key.
        if (smc_.read(val) != smc::kSuccess)
            return std::nullopt;
        // A key the SMC does not have comes back with no size; the tool prints nothing for it.
        if (val.dataSize == 0)
            continue;
        const auto type = smc::typeFromCode(val.dataType.toStdString());
        if (!type)
            continue;
        const std::size_t n = std::min<std::size_t>(val.dataSize, val.bytes.size());
        const smc::SmcEntry entry{key.toStdString(), *type, smc::Bytes(val.bytes.begin(), val.bytes.begin() + n)};
        out += smc::formatReadLine(entry);
        out += '\n';
        ++answered;
    }
    // Without a single key the key store is not there; the tool then reads this machine's sensors.
    if (answered == 0)
        return std::nullopt;
    return out;
}

} // namespace vantrel
