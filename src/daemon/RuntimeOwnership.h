#pragma once
// The "get_runtime_ownership" reply: which build of the app owns the hardware runtime and
// whether a hand-over is fenced. Both keys may be absent.
#include <optional>

#include <QJsonObject>
#include <QString>

namespace vantrel {

struct RuntimeOwnership {
    std::optional<QString> channel; // "production", "debug" or anything else
    std::optional<bool> transitionFenced;

    bool isProductionChannel() const { return channel == QStringLiteral("production"); }
    bool isDebugChannel() const { return channel == QStringLiteral("debug"); }
    // The production app may take the runtime: channel "production" and a fence that is
    // present and down.
    bool admitsProduction() const { return isProductionChannel() && transitionFenced == false; }

    static RuntimeOwnership fromReply(const QJsonObject& reply);
    bool operator==(const RuntimeOwnership&) const = default;
};

} // namespace vantrel
