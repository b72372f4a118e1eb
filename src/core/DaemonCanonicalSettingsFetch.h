#pragma once
// One reading of the daemon's canonical user settings: whether it holds a copy and, when it
// does, the reloaded copy. Runs on the calling thread (two daemon exchanges).
#include <optional>

#include <QJsonObject>
#include <QString>

namespace vantrel {

class DaemonClient;

struct DaemonCanonicalSettingsFetchResult {
    enum class Kind {
        Loaded,
        Unavailable,
        Absent
    };
    Kind kind = Kind::Unavailable;
    QJsonObject settings; // Loaded only
    QString runtimeStatus; // "ok" or "partial"; Loaded only
    std::optional<QString> partialCode;

    static DaemonCanonicalSettingsFetchResult unavailable() { return {}; }
    static DaemonCanonicalSettingsFetchResult absent() { return {Kind::Absent, {}, {}, {}}; }
};

DaemonCanonicalSettingsFetchResult fetchDaemonCanonicalSettings(const DaemonClient& daemon);

} // namespace vantrel
