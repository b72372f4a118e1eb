#pragma once
// A thin capsule filled to a fraction (0 … 1) in a palette colour: memory pressure, battery.
#include <optional>

#include <QWidget>

#include "ui/style/DSToken.h"

namespace vantrel {

class GaugeBar : public QWidget {
    Q_OBJECT
public:
    explicit GaugeBar(QWidget* parent = nullptr);
    void setValue(double fraction, DSToken token);
    double value() const { return value_; }
    DSToken token() const { return token_; }
    // A tick drawn across the track, e.g. the charge limit.
    void setMarker(std::optional<double> fraction);
    QSize sizeHint() const override { return {120, 8}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double value_ = 0;
    DSToken token_ = DSToken::green;
    std::optional<double> marker_;
};

} // namespace vantrel
