#pragma once
// The survival throttle: lowers the priority of detected language-model processes, suspends
// their tasks at level 2 and asks for low-power mode at level 3, through the text command bridge.
#include <functional>
#include <vector>

#include <QString>

#include "core/ThrottleLevel.h"

namespace vantrel {

class SurvivalThrottle {
public:
    // sendToDaemon is the central state's text command bridge.
    using CommandSink = std::function<void(const QString& command)>;

    explicit SurvivalThrottle(CommandSink sendToDaemon);

    // Called from the monitoring tick (main thread) whenever the tick selects a level.
    void applyThrottle(ThrottleLevel level, const std::vector<int>& pids);

    ThrottleLevel currentLevel() const { return currentLevel_; }
    const std::vector<int>& currentPids() const { return currentPids_; }

private:
    void nice(int pid, bool on);
    void taskPolicy(int pid, bool on);
    void changePids(const std::vector<int>& pids);
    void changeLevel(ThrottleLevel level, const std::vector<int>& pids);

    CommandSink send_;
    ThrottleLevel currentLevel_ = ThrottleLevel::normal;
    std::vector<int> currentPids_;
};

} // namespace vantrel
