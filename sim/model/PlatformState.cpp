#include "sim/model/PlatformState.h"

#include <algorithm>

#include <QJsonArray>

namespace vantrel::sim {

int PlatformState::createAssertion(const QString& type, const QString& name, long long ownerPid)
{
    const int id = nextId_++;
    assertions_.push_back(PowerAssertion{id, type, name, ownerPid});
    return id;
}

int PlatformState::releaseAssertionsOfEndedOwners(const std::function<bool(long long pid)>& isRunning)
{
    const auto before = assertions_.size();
    std::erase_if(assertions_, [&](const PowerAssertion& a) { return a.ownerPid > 0 && !isRunning(a.ownerPid); });
    return static_cast<int>(before - assertions_.size());
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

int PlatformState::setVirtualDisplayActive(bool active, const VirtualDisplayEntry& description)
{
    if (!active) {
        virtualDisplayActive_ = false;
        virtualDisplay_ = {};
        return 0;
    }
    const int id = virtualDisplayActive_ ? virtualDisplay_.id : nextDisplayId_++;
    virtualDisplayActive_ = true;
    virtualDisplay_ = description;
    virtualDisplay_.id = id;
    return id;
}

void PlatformState::reset()
{
    assertions_.clear();
    screenLockRequests_ = 0;
    displaySleepRequests_ = 0;
    virtualDisplayActive_ = false;
    virtualDisplay_ = {};
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
    QJsonValue display = QJsonValue::Null;
    if (virtualDisplayActive_)
        display = QJsonObject{
            {QStringLiteral("id"), virtualDisplay_.id},
            {QStringLiteral("name"), virtualDisplay_.name},
            {QStringLiteral("width"), virtualDisplay_.width},
            {QStringLiteral("height"), virtualDisplay_.height},
            {QStringLiteral("vendor_id"), virtualDisplay_.vendorId},
            {QStringLiteral("product_id"), virtualDisplay_.productId},
            {QStringLiteral("serial_number"), virtualDisplay_.serialNumber},
        };
    return QJsonObject{
        {QStringLiteral("assertions"), list},
        {QStringLiteral("screen_lock_requests"), screenLockRequests_},
        {QStringLiteral("display_sleep_requests"), displaySleepRequests_},
        {QStringLiteral("virtual_display_active"), virtualDisplayActive_},
        {QStringLiteral("virtual_display"), display},
        {QStringLiteral("shield_visible"), shieldVisible_},
        {QStringLiteral("accessibility_trusted"), accessibilityTrusted_},
        {QStringLiteral("automation_allowed"), automationAllowed_},
    };
}

} // namespace vantrel::sim
