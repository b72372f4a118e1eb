#pragma once
// A mode or preset card: its title and description, a mark when it is selected, a click that
// selects it and a details button that opens its detail view.
#include "ui/fancurve/FanCardSpec.h"
#include "ui/widgets/Card.h"

class QPushButton;

namespace vantrel {

class Badge;
class DetailSheet;
class TokenLabel;

class FanChoiceCard final : public Card {
    Q_OBJECT
public:
    FanChoiceCard(int cardId, const QString& symbol, QWidget* parent = nullptr);

    int cardId() const { return cardId_; }
    void setSpec(const FanCardSpec& spec, const QString& selectedText, const QString& detailsText);
    void setSelected(bool selected);
    bool isSelected() const { return selected_; }
    QPushButton* detailsButton() const { return details_; }

    // The card's detail view over window: description, result and the explanation steps.
    static DetailSheet* makeDetailSheet(const FanCardSpec& spec, const QString& symbol, QWidget* window);

Q_SIGNALS:
    void selectRequested(int cardId);
    void detailsRequested(int cardId);

protected:
    void paintEvent(QPaintEvent* event) override;
    // The whole card selects; it has no header row for the card's own chevron.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int cardId_;
    bool selected_ = false;
    TokenLabel* title_;
    TokenLabel* description_;
    Badge* badge_;
    QPushButton* details_;
    QString selectedText_;
};

} // namespace vantrel
