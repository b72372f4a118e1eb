#pragma once
// Why a launch-at-login change failed.
#include <QString>

namespace vantrel {

struct RegistrationError {
    enum class Kind {
        LaunchAgentStillLoaded,
        LaunchAgentStillPresent,
        // A file or login-item operation failed; message says which and why.
        OperationFailed,
    };
    Kind kind = Kind::OperationFailed;
    QString message;

    QString description() const
    {
        switch (kind) {
        case Kind::LaunchAgentStillLoaded:
            return QStringLiteral("launchAgentStillLoaded");
        case Kind::LaunchAgentStillPresent:
            return QStringLiteral("launchAgentStillPresent");
        case Kind::OperationFailed:
            break;
        }
        return message;
    }
};

} // namespace vantrel
