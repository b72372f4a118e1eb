#pragma once
// The sleep inhibitors with logind's availability remembered: the hardware profile asks on
// every request, and logind's answer holds while the daemon runs. A missing answer is asked
// again at most once per kRetrySeconds of the daemon's clock; an inhibitor logind refuses
// makes the next question go to logind again (it may have gone away or restarted).
#include <memory>
#include <optional>

#include "base/Clock.h"
#include "node/daemon/SleepInhibitors.h"

namespace vantrel::node {

class CachedSleepInhibitors final : public SleepInhibitors {
public:
    static constexpr double kRetrySeconds = 30.0;

    CachedSleepInhibitors(std::shared_ptr<SleepInhibitors> inner, const Clock& clock);

    bool hold(bool held) override;
    bool held() const override { return inner_->held(); }
    bool available() const override;

private:
    std::shared_ptr<SleepInhibitors> inner_;
    const Clock& clock_;
    mutable std::optional<bool> available_;
    mutable double askedAt_ = 0;
};

} // namespace vantrel::node
