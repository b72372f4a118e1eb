#pragma once
// A small rounded tag: text in a palette colour on a faint tint of it.
#include <QLabel>

#include "ui/style/DSToken.h"

namespace vantrel {

class Badge final : public QLabel {
    Q_OBJECT
public:
    explicit Badge(QWidget* parent = nullptr);
    void setBadge(const QString& text, DSToken token);
    DSToken token() const { return token_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    DSToken token_ = DSToken::grey;
};

} // namespace vantrel
