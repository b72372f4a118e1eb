#pragma once
// Process activities that keep the system from napping this process (App Nap).
#include <cstdint>

#include <QString>

namespace vantrel {

class ProcessActivity {
public:
    using Token = std::uint64_t; // 0 = no activity

    // The user-initiated activity options: 0x00FFFFFF.
    static constexpr std::uint64_t userInitiatedOptions = 0x00FFFFFFu;

    virtual ~ProcessActivity() = default;
    virtual Token beginActivity(std::uint64_t options, const QString& reason) = 0;
    // Ending an unknown or already ended token does nothing.
    virtual void endActivity(Token token) = 0;
};

} // namespace vantrel
