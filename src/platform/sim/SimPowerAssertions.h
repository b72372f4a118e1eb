#pragma once
// Power assertions of the simulated Mac: each is created and released in vantrel-sim
// ("sim_platform", actions "create_assertion" and "release_assertion"), whose state then lists
// the held ones with their type and name. The simulator's answer decides success. Its clamshell
// follows its displays, so holding the lid switch needs nothing.
#include <memory>

#include <QJsonObject>

#include "daemon/DaemonTransport.h"
#include "platform/PowerAssertions.h"

namespace vantrel {

class SimPowerAssertions final : public PowerAssertions {
public:
    explicit SimPowerAssertions(std::shared_ptr<DaemonTransport> transport);

    std::optional<PowerAssertionId> create(const QString& type, const QString& name) override;
    bool release(PowerAssertionId id) override;
    bool holdLidSwitch(bool) override { return true; }

    static QJsonObject createRequest(const QString& type, const QString& name);
    static QJsonObject releaseRequest(PowerAssertionId id);

private:
    std::shared_ptr<DaemonTransport> transport_;
};

} // namespace vantrel
