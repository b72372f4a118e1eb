#include "ui/fancurve/FanFeatureRow.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/widgets/Badge.h"
#include "ui/widgets/SwitchControl.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

FanFeatureRow::FanFeatureRow(int cardId, QWidget* parent)
    : QWidget(parent)
    , cardId_(cardId)
    , title_(new TokenLabel(QString(), DSToken::textPri, 13, QFont::DemiBold, this))
    , description_(new TokenLabel(QString(), DSToken::textSec, 12, QFont::Normal, this))
    , connection_(new Badge(this))
    , switch_(new SwitchControl(this))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 6, 0, 6);
    row->setSpacing(12);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    auto* titleLine = new QHBoxLayout;
    titleLine->setSpacing(8);
    titleLine->addWidget(title_);
    titleLine->addWidget(connection_);
    titleLine->addStretch(1);
    texts->addLayout(titleLine);
    description_->setWordWrap(true);
    texts->addWidget(description_);
    row->addLayout(texts, 1);
    row->addWidget(switch_, 0, Qt::AlignVCenter);
    switch_->setCheckable(true);
    connect(switch_, &SwitchControl::toggled, this, [this](bool on) {
        if (!showing_)
            Q_EMIT switched(cardId_, on);
    });
}

void FanFeatureRow::setSpec(const FanCardSpec& spec)
{
    title_->setText(spec.title);
    description_->setText(spec.description);
    connection_->setBadge(spec.connectionLabel, spec.switchable ? DSToken::blue : DSToken::grey);
    switch_->setEnabled(spec.switchable);
    switch_->setToolTip(spec.connectionLabel);
}

void FanFeatureRow::setOn(bool on)
{
    // Not with the signals blocked: the switch moves its knob on its own toggled signal.
    showing_ = true;
    switch_->setChecked(on);
    showing_ = false;
}

QPushButton* FanFeatureRow::actionButton()
{
    if (!action_) {
        action_ = new QPushButton(this);
        action_->setCursor(Qt::PointingHandCursor);
        static_cast<QHBoxLayout*>(layout())->insertWidget(1, action_, 0, Qt::AlignVCenter);
    }
    return action_;
}

} // namespace vantrel
