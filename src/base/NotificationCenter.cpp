#include "base/NotificationCenter.h"

#include <vector>

namespace vantrel {

NotificationCenter& NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

int NotificationCenter::addObserver(const QString& name, Observer observer)
{
    std::lock_guard lock(mutex_);
    const int token = nextToken_++;
    observers_.emplace(token, std::make_pair(name, std::move(observer)));
    return token;
}

void NotificationCenter::removeObserver(int token)
{
    std::lock_guard lock(mutex_);
    observers_.erase(token);
}

void NotificationCenter::post(const QString& name)
{
    std::vector<Observer> matching;
    {
        std::lock_guard lock(mutex_);
        for (auto& [token, entry] : observers_)
            if (entry.first == name)
                matching.push_back(entry.second);
    }
    for (auto& observer : matching)
        observer(name);
}

} // namespace vantrel
