#pragma once
// One entry of the dashboard's local action log (newest first, at most eight kept).
#include <QString>
#include <QUuid>

#include "ui/style/DSToken.h"

namespace vantrel {

struct DashboardEvent {
    QUuid id = QUuid::createUuid();
    QString kind; // e.g. "SAFETY"
    QString title;
    QString detail;
    DSToken color = DSToken::grey;
};

} // namespace vantrel
