#include "ui/dashboard/HistoryCard.h"

#include <QVBoxLayout>

#include "ui/widgets/HistoryChart.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

HistoryCard::HistoryCard(const QString& symbol, QWidget* parent)
    : Card(parent)
    , chart_(new HistoryChart(this))
    , latest_(new TokenLabel(QString(), DSToken::textPri, 15, QFont::DemiBold, this))
{
    setSymbol(symbol);
    setTrailingWidget(latest_);
    chart_->setMinimumHeight(96);
    contentLayout()->addWidget(chart_, 1);
}

void HistoryCard::setLatest(const QString& text, DSToken token)
{
    latest_->setText(text);
    latest_->setToken(token);
}

QString HistoryCard::latest() const { return latest_->text(); }

} // namespace vantrel
