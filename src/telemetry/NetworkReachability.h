#pragma once
// Tells the usage telemetry whether the network is up, from the desktop's network status
// where Qt can read it; without such a source the network counts as up and failed uploads
// back off.
#include <functional>

#include <QObject>

namespace vantrel {

class NetworkReachability final : public QObject {
    Q_OBJECT
public:
    // Made on the main thread; report gets the current answer at once and every change after.
    explicit NetworkReachability(std::function<void(bool isOnline)> report, QObject* parent = nullptr);

private:
    std::function<void(bool)> report_;
};

} // namespace vantrel
