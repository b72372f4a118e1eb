#pragma once
// The SMC user client of a machine without an "AppleSMC" service: every open reports the
// service missing and every call fails as a call on a closed connection does.
#include "platform/SmcUserClient.h"

namespace vantrel {

class NoSmcUserClient final : public SmcUserClient {
public:
    SmcOpenResult open() override { return {SmcOpenResult::Status::ServiceNotFound, 0}; }
    std::int32_t callStructMethod(std::uint32_t, std::uint32_t, const std::uint8_t*, std::size_t, std::uint8_t*,
                                  std::size_t* outputSize) override
    {
        if (outputSize)
            *outputSize = 0;
        return smc::kInvalidConnection;
    }
    void close(std::uint32_t) override { }
};

} // namespace vantrel
