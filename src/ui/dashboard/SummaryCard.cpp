#include "ui/dashboard/SummaryCard.h"

#include <QVBoxLayout>

#include "ui/widgets/Badge.h"
#include "ui/widgets/GaugeBar.h"
#include "ui/widgets/MetricView.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

SummaryCard::SummaryCard(const QString& symbol, bool withGauge, QWidget* parent)
    : Card(parent)
    , metric_(new MetricView(QString(), this))
    , caption_(new TokenLabel(QString(), DSToken::textTer, 11, QFont::Normal, this))
    , badge_(new Badge(this))
{
    setSymbol(symbol);
    setTrailingWidget(badge_);
    badge_->hide();
    contentLayout()->addWidget(metric_);
    if (withGauge) {
        gauge_ = new GaugeBar(this);
        contentLayout()->addWidget(gauge_);
    }
    caption_->setWordWrap(true);
    contentLayout()->addWidget(caption_);
    contentLayout()->addStretch(1);
}

void SummaryCard::setValue(const QString& value, DSToken token) { metric_->setValue(value, token); }

void SummaryCard::setDetail(const QString& detail) { metric_->setDetail(detail); }

void SummaryCard::setCaption(const QString& caption, DSToken token)
{
    caption_->setToken(token);
    caption_->setText(caption);
    caption_->setVisible(!caption.isEmpty());
}

void SummaryCard::setGauge(double fraction, DSToken token, std::optional<double> marker)
{
    if (!gauge_)
        return;
    gauge_->setValue(fraction, token);
    gauge_->setMarker(marker);
}

void SummaryCard::setBadge(const QString& text, DSToken token) { badge_->setBadge(text, token); }

QString SummaryCard::caption() const { return caption_->text(); }

DSToken SummaryCard::captionToken() const { return caption_->token(); }

} // namespace vantrel
