#pragma once
// Passes each exchange to the real transport and remembers it, so a command can tell "no
// daemon" from "the daemon refused" and print what was sent.
#include <memory>
#include <optional>
#include <vector>

#include "daemon/DaemonTransport.h"

namespace vantrel {

class CtlTransport final : public DaemonTransport {
public:
    struct Exchange {
        QJsonObject request;
        std::optional<QJsonObject> reply;
    };

    explicit CtlTransport(std::shared_ptr<DaemonTransport> inner)
        : inner_(std::move(inner))
    { }

    std::optional<QJsonObject> send(const QJsonObject& request) override
    {
        auto reply = inner_->send(request);
        exchanges_.push_back({request, reply});
        return reply;
    }

    const std::vector<Exchange>& exchanges() const { return exchanges_; }
    // True when the latest exchange got no reply at all.
    bool lastWentUnanswered() const { return !exchanges_.empty() && !exchanges_.back().reply; }

private:
    std::shared_ptr<DaemonTransport> inner_;
    std::vector<Exchange> exchanges_;
};

} // namespace vantrel
