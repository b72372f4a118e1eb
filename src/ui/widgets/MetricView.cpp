#include "ui/widgets/MetricView.h"

#include <QVBoxLayout>

#include "ui/widgets/TokenLabel.h"

namespace vantrel {

MetricView::MetricView(const QString& caption, QWidget* parent)
    : QWidget(parent)
    , caption_(new TokenLabel(caption, DSToken::textTer, 11, QFont::Medium, this))
    , value_(new TokenLabel(QStringLiteral("–"), DSToken::textPri, 24, QFont::DemiBold, this))
    , detail_(new TokenLabel(QString(), DSToken::textTer, 11, QFont::Normal, this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(caption_);
    layout->addWidget(value_);
    layout->addWidget(detail_);
    detail_->setWordWrap(true);
    detail_->hide();
    caption_->setVisible(!caption.isEmpty());
}

void MetricView::setCaption(const QString& caption)
{
    caption_->setText(caption);
    caption_->setVisible(!caption.isEmpty());
}

void MetricView::setValue(const QString& value, DSToken token)
{
    value_->setText(value);
    value_->setToken(token);
}

void MetricView::setDetail(const QString& detail)
{
    detail_->setText(detail);
    detail_->setVisible(!detail.isEmpty());
}

void MetricView::setValuePixelSize(int pixelSize) { value_->setPixelSize(pixelSize, QFont::DemiBold); }

QString MetricView::caption() const { return caption_->text(); }
QString MetricView::value() const { return value_->text(); }
QString MetricView::detail() const { return detail_->text(); }
DSToken MetricView::valueToken() const { return value_->token(); }

} // namespace vantrel
