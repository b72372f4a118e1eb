#pragma once
// The "AppleSMC" kernel service as its user client exposes it: find the service, open a
// connection, and exchange fixed-size parameter blocks through struct method calls.
#include <cstddef>
#include <cstdint>

namespace vantrel {

// Kernel result codes as the user-client calls return them.
namespace smc {
inline constexpr std::int32_t kSuccess = 0;
// What a call on a connection handle that is not open returns (MACH_SEND_INVALID_DEST).
inline constexpr std::int32_t kInvalidConnection = 0x10000003;
// A malformed call: wrong selector or block size (kIOReturnBadArgument).
inline constexpr std::int32_t kBadArgument = static_cast<std::int32_t>(0xE00002C2u);
} // namespace smc

struct SmcOpenResult {
    enum class Status {
        Opened,
        MatchingFailed, // the service lookup itself failed
        ServiceNotFound, // no "AppleSMC" service on this machine
        OpenFailed, // the service is there but refused a user client
    };
    Status status = Status::ServiceNotFound;
    std::uint32_t connection = 0; // non-zero exactly when opened
};

class SmcUserClient {
public:
    virtual ~SmcUserClient() = default;
    // Looks up the "AppleSMC" service and opens a user client of type 0 on it.
    virtual SmcOpenResult open() = 0;
    // One struct method call; *outputSize holds the output capacity on entry and the bytes
    // written on return. Returns a kernel result code (smc::kSuccess = 0).
    virtual std::int32_t callStructMethod(std::uint32_t connection, std::uint32_t selector, const std::uint8_t* input,
                                          std::size_t inputSize, std::uint8_t* output, std::size_t* outputSize)
        = 0;
    virtual void close(std::uint32_t connection) = 0;
};

} // namespace vantrel
