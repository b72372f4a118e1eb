#pragma once
// The running macOS version ("14.5"), which decides whether a release supports this machine.
#include <optional>

#include <QString>

namespace vantrel {

class OperatingSystemVersion {
public:
    virtual ~OperatingSystemVersion() = default;
    // Nothing when the machine runs no macOS (or does not say which).
    virtual std::optional<QString> macOSVersion() const = 0;
};

} // namespace vantrel
