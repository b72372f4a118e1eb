#pragma once
// Where usage batches go: a build setting, which a development build may replace with
// VANTREL_TELEMETRY_ENDPOINT. Without one, nothing is sent.
#include <optional>

#include <QString>
#include <QUrl>

namespace vantrel {

struct TelemetryEndpoint {
    static inline const char* environmentKey = "VANTREL_TELEMETRY_ENDPOINT";

    // The endpoint this build was configured with ("" for none).
    static QString builtIn();
    // The override wins when allowed and not empty. Nothing when the result is empty or not
    // acceptable (logged).
    static std::optional<QUrl> resolve(const QString& builtIn, const QString& override, bool overrideAllowed);
    // resolve() with this build's setting, the environment and whether this is a development build.
    static std::optional<QUrl> fromEnvironment();
    // HTTPS with a host; plain HTTP only to this machine (local test servers).
    static bool isAcceptable(const QUrl& url);
};

} // namespace vantrel
