#pragma once
// A card with a history chart and the latest value in its header.
#include "ui/style/DSToken.h"
#include "ui/widgets/Card.h"

namespace vantrel {

class HistoryChart;
class TokenLabel;

class HistoryCard final : public Card {
    Q_OBJECT
public:
    explicit HistoryCard(const QString& symbol, QWidget* parent = nullptr);
    HistoryChart* chart() const { return chart_; }
    void setLatest(const QString& text, DSToken token);
    QString latest() const;

private:
    HistoryChart* chart_;
    TokenLabel* latest_;
};

} // namespace vantrel
