#include "ui/power/ProtectionSliderCard.h"

#include <cmath>

#include <QHBoxLayout>
#include <QSignalBlocker>

#include "ui/widgets/TokenLabel.h"

namespace vantrel {

ProtectionSliderCard::ProtectionSliderCard(int minimum, int maximum, int step, std::vector<MarkedSlider::Mark> marks,
                                           QString unit, QWidget* parent)
    : Card(parent)
    , unit_(std::move(unit))
    , subtitle_(new TokenLabel(QString(), DSToken::textSec, 12, QFont::Normal, this))
    , value_(new TokenLabel(QString(), DSToken::blue, 22, QFont::Bold, this))
    , slider_(new MarkedSlider(this))
{
    auto* row = new QHBoxLayout;
    row->setSpacing(12);
    subtitle_->setWordWrap(true);
    row->addWidget(subtitle_, 1);
    row->addWidget(value_, 0, Qt::AlignTop | Qt::AlignRight);
    contentLayout()->addLayout(row);
    slider_->setRange(minimum, maximum);
    slider_->setStep(step);
    slider_->setMarks(std::move(marks));
    contentLayout()->addWidget(slider_);
    connect(slider_, &MarkedSlider::valueChanged, this, [this](int v) {
        showNumber(v);
        Q_EMIT moved(v);
    });
    connect(slider_, &MarkedSlider::valueCommitted, this, &ProtectionSliderCard::committed);
}

void ProtectionSliderCard::setTexts(const QString& title, const QString& subtitle)
{
    setTitle(title);
    subtitle_->setText(subtitle);
}

void ProtectionSliderCard::showValue(double value)
{
    const int whole = static_cast<int>(std::lround(value));
    const QSignalBlocker block(slider_);
    slider_->setValue(whole);
    showNumber(slider_->value());
}

void ProtectionSliderCard::showNumber(int value) { value_->setText(QString::number(value) + unit_); }

QString ProtectionSliderCard::valueText() const { return value_->text(); }

} // namespace vantrel
