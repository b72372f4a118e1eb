#pragma once
// The strip that invites the user to open the power-only usage sheet.
#include <QWidget>

class QPushButton;

namespace vantrel {

class TokenLabel;

class OnlyPowerUsageBanner final : public QWidget {
    Q_OBJECT
public:
    explicit OnlyPowerUsageBanner(QWidget* parent = nullptr);
    void retranslate();
    QPushButton* openButton() const { return open_; }

Q_SIGNALS:
    void openRequested();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TokenLabel* title_;
    TokenLabel* subtitle_;
    QPushButton* open_;
};

} // namespace vantrel
