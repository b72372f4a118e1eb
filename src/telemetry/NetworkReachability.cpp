#include "telemetry/NetworkReachability.h"

#include <QNetworkInformation>

namespace vantrel {

namespace {

bool isOnline(QNetworkInformation::Reachability reachability)
{
    // Unknown is treated as up: an upload that fails only costs a back-off.
    return reachability != QNetworkInformation::Reachability::Disconnected
        && reachability != QNetworkInformation::Reachability::Local;
}

} // namespace

NetworkReachability::NetworkReachability(std::function<void(bool isOnline)> report, QObject* parent)
    : QObject(parent)
    , report_(std::move(report))
{
    QNetworkInformation* info = nullptr;
    if (QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        info = QNetworkInformation::instance();
    if (!info) {
        report_(true);
        return;
    }
    connect(info, &QNetworkInformation::reachabilityChanged, this,
            [this](QNetworkInformation::Reachability reachability) { report_(isOnline(reachability)); });
    report_(isOnline(info->reachability()));
}

} // namespace vantrel
