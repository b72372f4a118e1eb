#pragma once
// A protection setting as a card: title, explanation, the current value with its unit and a
// marked slider. Emits the value while it moves and again when the user lets go.
#include <vector>

#include "ui/widgets/Card.h"
#include "ui/widgets/MarkedSlider.h"

namespace vantrel {

class TokenLabel;

class ProtectionSliderCard final : public Card {
    Q_OBJECT
public:
    ProtectionSliderCard(int minimum, int maximum, int step, std::vector<MarkedSlider::Mark> marks, QString unit,
                         QWidget* parent = nullptr);

    void setTexts(const QString& title, const QString& subtitle);
    // Shows a value from the model without emitting anything.
    void showValue(double value);
    MarkedSlider* slider() const { return slider_; }
    QString valueText() const;

Q_SIGNALS:
    void moved(int value);
    void committed(int value);

private:
    void showNumber(int value);

    QString unit_;
    TokenLabel* subtitle_;
    TokenLabel* value_;
    MarkedSlider* slider_;
};

} // namespace vantrel
