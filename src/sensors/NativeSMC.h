#pragma once
// Reads single SMC keys straight from the "AppleSMC" service with the user-client protocol:
// key information first (size and type), then the value, decoded by its SMC data type.
// Used for the fans' maximum speeds.
#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

#include <QString>

#include "platform/SmcUserClient.h"

namespace vantrel {

struct SMCVal_t {
    QString key; // four characters
    std::uint32_t dataSize = 0;
    QString dataType; // four characters, e.g. "flt "
    std::array<std::uint8_t, 32> bytes{};
};

class NativeSMC {
public:
    // Opens the connection at once and logs the outcome; without one every read fails cleanly.
    explicit NativeSMC(std::shared_ptr<SmcUserClient> client);
    ~NativeSMC();
    NativeSMC(const NativeSMC&) = delete;
    NativeSMC& operator=(const NativeSMC&) = delete;

    // Fills dataSize, dataType and bytes of val for val.key; the kernel result (0 = success).
    std::int32_t read(SMCVal_t& val);
    // One key read and decoded; nothing when it cannot be read or its type is unknown.
    std::optional<double> getValue(const QString& key);
    // The maximum speed of a fan ("F<index>Mx"), truncated; 0 when it cannot be read.
    int getMaxFanRPM(int fanIndex);

    // Decodes value bytes by data type ("ui8 ", "ui16", "ui32", "flt ", "fpe2", "sp78").
    static std::optional<double> decode(const QString& dataType, const std::array<std::uint8_t, 32>& bytes);
    // Keys for which all-zero value bytes are a real value (fan modes and the force bits).
    static bool zeroIsValue(const QString& key);

private:
    std::shared_ptr<SmcUserClient> client_;
    std::uint32_t conn_ = 0;
    std::mutex ioLock_;
};

} // namespace vantrel
