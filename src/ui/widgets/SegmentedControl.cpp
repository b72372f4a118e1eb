#include "ui/widgets/SegmentedControl.h"

#include <algorithm>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "ui/style/DS.h"
#include "ui/style/Typography.h"

namespace vantrel {

SegmentedControl::SegmentedControl(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
}

void SegmentedControl::setSegments(const QStringList& labels)
{
    labels_ = labels;
    current_ = labels.isEmpty() ? -1 : std::clamp(current_, 0, int(labels.size()) - 1);
    updateGeometry();
    update();
}

void SegmentedControl::setLabels(const QStringList& labels)
{
    if (labels.size() != labels_.size())
        return setSegments(labels);
    labels_ = labels;
    updateGeometry();
    update();
}

void SegmentedControl::setCurrentIndex(int index)
{
    if (index < 0 || index >= labels_.size() || index == current_)
        return;
    current_ = index;
    update();
    Q_EMIT currentChanged(index);
}

QSize SegmentedControl::sizeHint() const
{
    const QFontMetrics fm(Typography::font(12, QFont::DemiBold));
    int widest = 40;
    for (const QString& l : labels_)
        widest = std::max(widest, fm.horizontalAdvance(l) + 24);
    return {int(std::max<qsizetype>(1, labels_.size())) * widest + 4, 28};
}

QRect SegmentedControl::segmentRect(int index) const
{
    if (labels_.isEmpty())
        return {};
    const double w = (width() - 4.0) / labels_.size();
    return QRect(int(2 + index * w), 2, int(w), height() - 4);
}

int SegmentedControl::segmentAt(const QPoint& pos) const
{
    for (int i = 0; i < labels_.size(); ++i)
        if (segmentRect(i).contains(pos))
            return i;
    return -1;
}

void SegmentedControl::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF outer = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(DS::color(DSToken::interactiveBorder), 1));
    p.setBrush(DS::color(DSToken::interactiveSurface));
    p.drawRoundedRect(outer, 8, 8);

    for (int i = 0; i < labels_.size(); ++i) {
        const QRectF r = segmentRect(i);
        const bool selected = i == current_;
        if (selected) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0, 0, 0, DS::isDark() ? 70 : 28));
            p.drawRoundedRect(r.translated(0, 0.8), 6, 6);
            p.setBrush(DS::isDark() ? DS::color(DSToken::interactiveBorder) : DS::color(DSToken::card));
            p.drawRoundedRect(r, 6, 6);
        } else if (i > 0 && i - 1 != current_) {
            p.setPen(QPen(DS::color(DSToken::divider), 1));
            p.drawLine(QPointF(r.left(), r.top() + 6), QPointF(r.left(), r.bottom() - 6));
        }
        p.setFont(Typography::font(12, selected ? QFont::DemiBold : QFont::Normal));
        p.setPen(isEnabled() ? (selected ? DS::color(DSToken::textPri) : DS::color(DSToken::textSec))
                             : DS::color(DSToken::textDisabled));
        p.drawText(r, Qt::AlignCenter, p.fontMetrics().elidedText(labels_[i], Qt::ElideRight, int(r.width()) - 8));
    }
    if (hasFocus()) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(DS::tint(DSToken::blue, 0.5), 2));
        p.drawRoundedRect(outer, 8, 8);
    }
}

void SegmentedControl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && isEnabled())
        setCurrentIndex(segmentAt(event->position().toPoint()));
}

void SegmentedControl::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Left)
        setCurrentIndex(current_ - 1);
    else if (event->key() == Qt::Key_Right)
        setCurrentIndex(current_ + 1);
    else
        QWidget::keyPressEvent(event);
}

} // namespace vantrel
