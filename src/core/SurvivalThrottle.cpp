#include "core/SurvivalThrottle.h"

#include <algorithm>

#include "base/Log.h"

namespace vantrel {
namespace {

bool contains(const std::vector<int>& list, int pid) { return std::find(list.begin(), list.end(), pid) != list.end(); }

// The members of from that are not in other, each once, in the order of from.
std::vector<int> missingFrom(const std::vector<int>& from, const std::vector<int>& other)
{
    std::vector<int> out;
    for (int pid : from)
        if (!contains(other, pid) && !contains(out, pid))
            out.push_back(pid);
    return out;
}

std::vector<int> distinct(const std::vector<int>& pids) { return missingFrom(pids, {}); }

} // namespace

SurvivalThrottle::SurvivalThrottle(CommandSink sendToDaemon)
    : send_(std::move(sendToDaemon))
{ }

void SurvivalThrottle::nice(int pid, bool on) { send_(QStringLiteral("NICE %1 %2").arg(pid).arg(on ? 15 : 0)); }

void SurvivalThrottle::taskPolicy(int pid, bool on) { send_(QStringLiteral("TSKP %1 %2").arg(pid).arg(on ? 1 : 0)); }

void SurvivalThrottle::applyThrottle(ThrottleLevel level, const std::vector<int>& pids)
{
    if (level == currentLevel_ && pids == currentPids_)
        return;
    if (level == currentLevel_)
        changePids(pids);
    else
        changeLevel(level, pids);
}

void SurvivalThrottle::changePids(const std::vector<int>& pids)
{
    const std::vector<int> left = missingFrom(currentPids_, pids);
    const std::vector<int> joined = missingFrom(pids, currentPids_);
    if (currentLevel_ != ThrottleLevel::normal) {
        for (int pid : left)
            nice(pid, false);
        for (int pid : joined)
            nice(pid, true);
    }
    if (currentLevel_ >= ThrottleLevel::level2) {
        for (int pid : left)
            taskPolicy(pid, false);
        for (int pid : joined)
            taskPolicy(pid, true);
    }
    currentPids_ = pids;
}

void SurvivalThrottle::changeLevel(ThrottleLevel level, const std::vector<int>& pids)
{
    logLine(QStringLiteral("Escalating Throttle to Level %1").arg(levelNumber(level)));
    const ThrottleLevel old = currentLevel_;
    if (level < old) {
        // Stepping down releases everything the old level imposed on the old processes.
        const std::vector<int> oldPids = distinct(currentPids_);
        if (old == ThrottleLevel::level3)
            send_(QStringLiteral("LOWP 0"));
        if (old >= ThrottleLevel::level2)
            for (int pid : oldPids)
                taskPolicy(pid, false);
        for (int pid : oldPids)
            nice(pid, false);
    } else {
        const std::vector<int> newPids = distinct(pids);
        if (old == ThrottleLevel::normal)
            for (int pid : newPids)
                nice(pid, true);
        if (level >= ThrottleLevel::level2 && old < ThrottleLevel::level2)
            for (int pid : newPids)
                taskPolicy(pid, true);
        if (level == ThrottleLevel::level3)
            send_(QStringLiteral("LOWP 1"));
    }
    currentLevel_ = level;
    currentPids_ = pids;
}

} // namespace vantrel
