#pragma once
// An in-page alert: a warning symbol, a title, a message and a dismiss button, on a tint
// of the alert's colour. Hidden until shown with an alert.
#include <QWidget>

#include "ui/style/DSToken.h"

class QToolButton;

namespace vantrel {

class TokenLabel;

class AlertBanner final : public QWidget {
    Q_OBJECT
public:
    explicit AlertBanner(QWidget* parent = nullptr);
    void showAlert(const QString& title, const QString& message, DSToken token = DSToken::red);
    QString title() const;
    QString message() const;

Q_SIGNALS:
    void dismissed();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TokenLabel* title_;
    TokenLabel* message_;
    QToolButton* close_;
    DSToken token_ = DSToken::red;
};

} // namespace vantrel
