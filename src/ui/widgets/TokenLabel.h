#pragma once
// A label whose text colour is a palette token, re-resolved whenever it paints so a
// theme switch recolours it without rebuilding the screen.
#include <QFont>
#include <QLabel>

#include "ui/style/DSToken.h"

namespace vantrel {

class TokenLabel : public QLabel {
    Q_OBJECT
public:
    explicit TokenLabel(DSToken token = DSToken::textPri, QWidget* parent = nullptr);
    TokenLabel(const QString& text, DSToken token, int pixelSize, QFont::Weight weight = QFont::Normal,
               QWidget* parent = nullptr);

    DSToken token() const { return token_; }
    void setToken(DSToken token);
    void setPixelSize(int pixelSize, QFont::Weight weight = QFont::Normal);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refreshPalette();

    DSToken token_;
    int pixelSize_ = 13;
    QFont::Weight weight_ = QFont::Normal;
};

} // namespace vantrel
