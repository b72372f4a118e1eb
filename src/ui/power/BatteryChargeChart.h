#pragma once
// The twelve-hour charge chart: the battery line over the last twelve hours, charging
// stretches in green, and the charge-limit target as a dashed line.
#include <QDateTime>
#include <QWidget>

#include "power/BatteryHourlyBarsGeometry.h"

namespace vantrel {

class BatteryChargeChart final : public QWidget {
    Q_OBJECT
public:
    explicit BatteryChargeChart(QWidget* parent = nullptr);

    // now: the right edge of the twelve hours.
    void setGeometryModel(BatteryHourlyBarsGeometry geometry, QDateTime now);
    const BatteryHourlyBarsGeometry& geometryModel() const { return geometry_; }
    void setAxisTexts(const QString& start, const QString& end);

    QSize sizeHint() const override { return {320, 150}; }
    QSize minimumSizeHint() const override { return {160, 110}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    BatteryHourlyBarsGeometry geometry_;
    QDateTime now_;
    QString startText_;
    QString endText_;
};

} // namespace vantrel
