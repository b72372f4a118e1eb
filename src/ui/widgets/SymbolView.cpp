#include "ui/widgets/SymbolView.h"

#include <QPainter>

#include "ui/style/DS.h"
#include "ui/widgets/SymbolPainter.h"

namespace vantrel {

SymbolView::SymbolView(const QString& symbol, DSToken token, int size, QWidget* parent)
    : QWidget(parent)
    , symbol_(symbol)
    , token_(token)
{
    setFixedSize(size, size);
}

void SymbolView::setSymbol(const QString& symbol)
{
    symbol_ = symbol;
    update();
}

void SymbolView::setToken(DSToken token)
{
    token_ = token;
    update();
}

void SymbolView::paintEvent(QPaintEvent*)
{
    if (symbol_.isEmpty())
        return;
    QPainter p(this);
    SymbolPainter::paint(p, symbol_, rect(), DS::color(token_));
}

} // namespace vantrel
