#pragma once
// Whether this copy may drive the hardware: the daemon's runtime-ownership answer decides
// for the installed build; the development build is always admitted.
#include <optional>

#include <QJsonObject>
#include <QString>

namespace vantrel {

class DaemonClient;

// Why a start was refused, as the user is told.
struct RuntimeConflict {
    QString message;
    QString detail;

    static RuntimeConflict duplicateRun();
    static RuntimeConflict debugRuntime();
    static RuntimeConflict readbackUnavailable();
    bool operator==(const RuntimeConflict&) const = default;
};

class RuntimeAdmission {
public:
    // Nothing when admitted, else the conflict. ownership is the "get_runtime_ownership" reply
    // (nothing when there was none). Refusals are logged to the system log.
    static std::optional<RuntimeConflict> evaluate(bool developmentBuild, const std::optional<QJsonObject>& ownership);
    // Asks the daemon (blocking, up to its 10 s read time-out) unless this is the development build.
    static std::optional<RuntimeConflict> prepareRuntimeOwnership(bool developmentBuild, const DaemonClient& client);
};

} // namespace vantrel
