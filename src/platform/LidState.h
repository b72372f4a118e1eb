#pragma once
// Whether the built-in lid is closed. May be called from any thread.
#include <optional>

namespace vantrel {

class LidState {
public:
    virtual ~LidState() = default;
    // Nothing when the lid state cannot be read (no lid, no power-management service).
    virtual std::optional<bool> lidClosed() const = 0;
};

} // namespace vantrel
