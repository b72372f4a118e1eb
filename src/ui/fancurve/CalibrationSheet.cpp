#include "ui/fancurve/CalibrationSheet.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include "l10n/L10n.h"
#include "ui/style/DS.h"
#include "ui/widgets/MetricView.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

namespace {

// The measuring surface: a faint grid behind the metric panels.
class CalibrationGrid final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        QPainterPath frame;
        frame.addRoundedRect(r, 12, 12);
        p.fillPath(frame, DS::color(DSToken::card));
        p.setClipPath(frame);
        p.setPen(QPen(DS::color(DSToken::divider), 1));
        for (double x = r.left() + 16; x < r.right(); x += 16)
            p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
        for (double y = r.top() + 16; y < r.bottom(); y += 16)
            p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
        p.setClipping(false);
        p.setPen(QPen(DS::color(DSToken::widgetBorder), 1));
        p.drawPath(frame);
    }
};

class MetricPanel final : public QWidget {
public:
    MetricPanel(const QString& caption, QWidget* parent)
        : QWidget(parent)
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(12, 10, 12, 10);
        auto* metric = new MetricView(caption, this);
        metric->setValue(QStringLiteral("—"), DSToken::textTer);
        metric->setValuePixelSize(20);
        layout->addWidget(metric);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
        QColor fill = DS::color(DSToken::bg);
        fill.setAlphaF(0.92);
        p.fillPath(path, fill);
        p.setPen(QPen(DS::color(DSToken::widgetBorder), 1));
        p.drawPath(path);
    }
};

} // namespace

CalibrationSheet::CalibrationSheet(QWidget* parent)
    : DetailSheet(parent)
    , start_(new QPushButton(this))
    , apply_(new QPushButton(this))
{
    const QString lang = L10n::currentLanguage();
    setHeader(QStringLiteral("gauge.with.dots.needle.33percent"),
              L10n::tr(QStringLiteral("feature.fan.calibration"), lang),
              L10n::tr(QStringLiteral("fan.calibration.note"), lang));

    auto* mode = new TokenLabel(L10n::tr(QStringLiteral("fan.calibration.mode"), lang), DSToken::textPri, 14,
                                QFont::DemiBold, this);
    contentLayout()->addWidget(mode);

    auto* grid = new CalibrationGrid(this);
    auto* panels = new QHBoxLayout(grid);
    panels->setContentsMargins(20, 28, 20, 28);
    panels->setSpacing(14);
    for (const char* key :
         {"fan.calibration.step_response", "fan.calibration.thermal_resistance", "fan.calibration.result_curve"})
        panels->addWidget(new MetricPanel(L10n::tr(QString::fromUtf8(key), lang), grid), 1);
    contentLayout()->addWidget(grid);

    auto* waiting = new TokenLabel(L10n::tr(QStringLiteral("fan.calibration.result_contract_waiting"), lang),
                                   DSToken::textSec, 12, QFont::Normal, this);
    waiting->setWordWrap(true);
    contentLayout()->addWidget(waiting);

    start_->setText(L10n::tr(QStringLiteral("fan.calibration.start"), lang));
    apply_->setText(L10n::tr(QStringLiteral("fan.calibration.apply_recommended"), lang));
    start_->setEnabled(false);
    apply_->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(start_);
    buttons->addWidget(apply_);
    buttons->addStretch(1);
    contentLayout()->addLayout(buttons);

    setCloseText(L10n::tr(QStringLiteral("common.close"), lang));
    resize(620, 420);
}

} // namespace vantrel
