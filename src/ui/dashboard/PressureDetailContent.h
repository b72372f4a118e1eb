#pragma once
// What the pressure detail sheet shows for CPU, memory or storage: the subject's current
// metrics with the dashboard's colours, and five explanatory sections in a fixed order.
#include <vector>

#include <QString>

#include "ui/dashboard/DashboardRefreshResult.h"
#include "ui/style/DSToken.h"

namespace vantrel {

enum class PressureDetail {
    cpu,
    memory,
    storage
};

struct PressureMetric {
    QString title;
    QString value;
    DSToken color = DSToken::textPri;
};

struct PressureDetailSection {
    QString id; // "what", "why", "good", "numbers", "bad"
    QString title;
    QString body;
};

namespace dashboard {

QString pressureTitle(PressureDetail subject, const QString& lang);
QString pressureSymbol(PressureDetail subject);
std::vector<PressureMetric> pressureMetrics(PressureDetail subject, const DashboardRefreshResult& r,
                                            const QString& lang);
std::vector<PressureDetailSection> pressureSections(PressureDetail subject, const QString& lang);
// The memory level as shown ("low" → the translated "Low"); unknown levels as given.
QString memoryLevelText(const QString& level, const QString& lang);

} // namespace dashboard
} // namespace vantrel
