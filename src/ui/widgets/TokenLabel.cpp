#include "ui/widgets/TokenLabel.h"

#include <algorithm>

#include <QPainter>

#include "ui/style/DS.h"
#include "ui/style/Typography.h"

namespace vantrel {

TokenLabel::TokenLabel(DSToken token, QWidget* parent)
    : QLabel(parent)
    , token_(token)
{
    setFont(Typography::font(pixelSize_, weight_));
    refreshPalette();
}

TokenLabel::TokenLabel(const QString& text, DSToken token, int pixelSize, QFont::Weight weight, QWidget* parent)
    : QLabel(text, parent)
    , token_(token)
    , pixelSize_(pixelSize)
    , weight_(weight)
{
    setFont(Typography::font(pixelSize_, weight_));
    refreshPalette();
}

void TokenLabel::setToken(DSToken token)
{
    if (token_ == token)
        return;
    token_ = token;
    refreshPalette();
    update();
}

void TokenLabel::setPixelSize(int pixelSize, QFont::Weight weight)
{
    pixelSize_ = pixelSize;
    weight_ = weight;
    setFont(Typography::font(pixelSize_, weight_));
}

void TokenLabel::refreshPalette()
{
    const QColor want = DS::color(token_);
    QPalette p = palette();
    if (p.color(QPalette::WindowText) == want && p.isBrushSet(QPalette::Active, QPalette::WindowText))
        return;
    p.setColor(QPalette::WindowText, want);
    p.setColor(QPalette::Text, want);
    setPalette(p);
}

void TokenLabel::setElideMode(Qt::TextElideMode mode)
{
    elide_ = mode;
    if (mode == Qt::ElideNone)
        setToolTip(QString());
    updateGeometry();
    update();
}

QString TokenLabel::shownText() const
{
    if (!eliding())
        return text();
    return fontMetrics().elidedText(text(), elide_, contentsRect().width());
}

QSize TokenLabel::minimumSizeHint() const
{
    QSize size = QLabel::minimumSizeHint();
    if (eliding())
        size.setWidth(std::min(size.width(), fontMetrics().horizontalAdvance(QStringLiteral("Mmm…"))));
    return size;
}

void TokenLabel::paintEvent(QPaintEvent* event)
{
    refreshPalette();
    if (!eliding()) {
        QLabel::paintEvent(event);
        return;
    }
    // The text may have changed since the last paint; the tooltip follows it here.
    updateToolTip();
    QPainter p(this);
    p.setFont(font());
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(contentsRect(), int(alignment()) | Qt::TextSingleLine, shownText());
}

void TokenLabel::updateToolTip()
{
    const QString shown = shownText();
    setToolTip(shown == text() ? QString() : text());
}

} // namespace vantrel
