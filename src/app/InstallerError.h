#pragma once
// Why installing the helper tools failed, as the onboarding screen shows it.
#include <QString>

namespace vantrel {

struct InstallerError {
    enum class Kind {
        CommandFailed,
        MissingBundledTools,
        InstallVerificationFailed
    };
    Kind kind = Kind::CommandFailed;
    QString message; // CommandFailed only

    QString description() const
    {
        switch (kind) {
        case Kind::MissingBundledTools:
            return QStringLiteral("bundled battery/smc tools were not found");
        case Kind::InstallVerificationFailed:
            return QStringLiteral("installed helper files could not be verified");
        case Kind::CommandFailed:
            break;
        }
        return message.isEmpty() ? QStringLiteral("administrator approval was cancelled or failed") : message;
    }
    bool operator==(const InstallerError&) const = default;
};

} // namespace vantrel
