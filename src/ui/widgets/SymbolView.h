#pragma once
// A fixed-size widget showing one symbol in a palette colour.
#include <QWidget>

#include "ui/style/DSToken.h"

namespace vantrel {

class SymbolView : public QWidget {
    Q_OBJECT
public:
    SymbolView(const QString& symbol, DSToken token, int size, QWidget* parent = nullptr);
    void setSymbol(const QString& symbol);
    QString symbol() const { return symbol_; }
    void setToken(DSToken token);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString symbol_;
    DSToken token_;
};

} // namespace vantrel
