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
    // A single-line label that may be narrower than its text and then ends in "…" (the full
    // text becomes the tooltip). Off by default: the label asks for its whole width.
    void setElideMode(Qt::TextElideMode mode);
    // The text as painted at the current width.
    QString shownText() const;

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refreshPalette();
    bool eliding() const { return elide_ != Qt::ElideNone && !wordWrap(); }
    void updateToolTip();

    DSToken token_;
    int pixelSize_ = 13;
    QFont::Weight weight_ = QFont::Normal;
    Qt::TextElideMode elide_ = Qt::ElideNone;
};

} // namespace vantrel
