#include "sim/model/PlatformState.h"

#include <algorithm>

#include <QJsonArray>

namespace vantrel::sim {

int PlatformState::createAssertion(const QString& type, const QString& name)
{
    const int id = nextId_++;
    assertions_.push_back(PowerAssertion{id, type, name});
    return id;
}

bool PlatformState::releaseAssertion(int id)
{
    const auto it
        = std::find_if(assertions_.begin(), assertions_.end(), [id](const PowerAssertion& a) { return a.id == id; });
    if (it == assertions_.end())
        return false;
    assertions_.erase(it);
    return true;
}

void PlatformState::reset()
{
    assertions_.clear();
    screenLockRequests_ = 0;
    displaySleepRequests_ = 0;
    virtualDisplayActive_ = false;
    shieldVisible_ = false;
}

bool PlatformState::preventsSystemSleep() const
{
    return std::any_of(assertions_.begin(), assertions_.end(), [](const PowerAssertion& a) {
        return a.type == QLatin1String("PreventSystemSleep") || a.type == QLatin1String("PreventUserIdleSystemSleep");
    });
}

QJsonObject PlatformState::toJson() const
{
    QJsonArray list;
    for (const auto& a : assertions_)
        list.append(QJsonObject{
            {QStringLiteral("id"), a.id}, {QStringLiteral("type"), a.type}, {QStringLiteral("name"), a.name}});
    return QJsonObject{
        {QStringLiteral("assertions"), list},
        {QStringLiteral("screen_lock_requests"), screenLockRequests_},
        {QStringLiteral("display_sleep_requests"), displaySleepRequests_},
        {QStringLiteral("virtual_display_active"), virtualDisplayActive_},
        {QStringLiteral("shield_visible"), shieldVisible_},
    };
}

} // namespace vantrel::sim
