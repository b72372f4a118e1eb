#include "ui/widgets/TokenLabel.h"

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

void TokenLabel::paintEvent(QPaintEvent* event)
{
    refreshPalette();
    QLabel::paintEvent(event);
}

} // namespace vantrel
