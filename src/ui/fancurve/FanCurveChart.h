#pragma once
// The curve editor's chart: temperature left to right, fan percent bottom to top, the danger
// zone, the curve with its three draggable handles, the operating marker and, in the
// operating-system mode, the observed points. Drags go to FanCurvePageState.
#include <optional>

#include <QWidget>

#include "ui/fancurve/FanCurveEditorGeometry.h"

namespace vantrel {

class FanCurvePageState;

class FanCurveChart final : public QWidget {
    Q_OBJECT
public:
    explicit FanCurveChart(FanCurvePageState& state, QWidget* parent = nullptr);

    QRectF plot() const { return fancurve::plotRect(size()); }
    QPointF handleLocation(FanCurveHandle handle) const;
    std::optional<FanCurveHandle> draggedHandle() const { return dragged_; }

    QSize sizeHint() const override { return {640, 330}; }
    QSize minimumSizeHint() const override { return {360, 250}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    std::optional<FanCurveHandle> handleAt(const QPointF& pos) const;
    void paintGrid(QPainter& p, const QRectF& plot) const;
    void paintCurve(QPainter& p, const QRectF& plot) const;
    void paintObserved(QPainter& p, const QRectF& plot) const;
    void paintMarker(QPainter& p, const QRectF& plot) const;

    FanCurvePageState& state_;
    std::optional<FanCurveHandle> dragged_;
    std::optional<FanCurveHandle> hovered_;
};

} // namespace vantrel
