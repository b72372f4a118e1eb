#pragma once
// The outcome line of a screen: a coloured dot and a text on a faint tint of that colour.
// Hidden while it has nothing to say.
#include <QWidget>

#include "ui/style/DSToken.h"

namespace vantrel {

class TokenLabel;

class StatusLine : public QWidget {
    Q_OBJECT
public:
    explicit StatusLine(QWidget* parent = nullptr);

    void setStatus(const QString& text, DSToken token);
    void clear();
    QString text() const;
    DSToken token() const { return token_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TokenLabel* label_;
    DSToken token_ = DSToken::grey;
};

} // namespace vantrel
