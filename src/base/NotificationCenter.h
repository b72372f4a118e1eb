#pragma once
// Process-wide named notifications ("DaemonConnectionDidFail"), delivered to observers
// on the thread that posts them (callers post from the main queue).
#include <functional>
#include <map>
#include <mutex>

#include <QString>

namespace vantrel {

class NotificationCenter {
public:
    static NotificationCenter& defaultCenter();

    using Observer = std::function<void(const QString& name)>;
    // Returns a token for removeObserver.
    int addObserver(const QString& name, Observer observer);
    void removeObserver(int token);
    void post(const QString& name);

private:
    std::mutex mutex_;
    int nextToken_ = 1;
    std::map<int, std::pair<QString, Observer>> observers_;
};

} // namespace vantrel
