#include "ui/power/SafetyDrainTargetModal.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "l10n/L10n.h"
#include "ui/power/SafetyDrainTargetOptions.h"
#include "ui/widgets/Card.h"
#include "ui/widgets/SymbolView.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

SafetyDrainTargetModal::SafetyDrainTargetModal(int autoTarget, std::optional<int> selectedTarget,
                                               std::function<void(std::optional<int>)> onSelect, QWidget* parent)
    : DetailSheet(parent)
    , onSelect_(std::move(onSelect))
{
    const QString lang = L10n::currentLanguage();
    setHeader(QStringLiteral("battery.75percent"), L10n::tr("power.safety_drain.title", lang),
              L10n::tr("force_discharge_sub", lang));
    resize(480, 560);
    for (const SafetyDrainTargetOption& option : safetyDrainTargetOptions(autoTarget, lang)) {
        const bool chosen = option.target == selectedTarget;
        if (chosen)
            selectedId_ = option.id;
        // A plain card that answers a click: the clickable card's chevron header would leave an
        // empty line above each option.
        auto* card = new Card;
        card->setObjectName(option.id);
        card->setCursor(Qt::PointingHandCursor);
        card->installEventFilter(this);
        auto* row = new QHBoxLayout;
        row->setSpacing(10);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(2);
        texts->addWidget(new TokenLabel(option.title, DSToken::textPri, 15, QFont::DemiBold, card));
        auto* caption = new TokenLabel(option.caption, DSToken::textSec, 12, QFont::Normal, card);
        caption->setWordWrap(true);
        texts->addWidget(caption);
        row->addLayout(texts, 1);
        auto* mark = new SymbolView(QStringLiteral("checkmark.circle.fill"), DSToken::blue, 18, card);
        mark->setVisible(chosen);
        row->addWidget(mark, 0, Qt::AlignVCenter);
        card->contentLayout()->addLayout(row);
        contentLayout()->addWidget(card);
        cards_.push_back(card);
        targets_.push_back(option.target);
        ids_ << option.id;
    }
    setCloseText(L10n::tr("common.cancel", lang));
}

bool SafetyDrainTargetModal::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        const auto it = std::find(cards_.begin(), cards_.end(), watched);
        if (it != cards_.end()) {
            choose(static_cast<int>(it - cards_.begin()));
            return true;
        }
    }
    return DetailSheet::eventFilter(watched, event);
}

void SafetyDrainTargetModal::choose(int index)
{
    if (index < 0 || index >= static_cast<int>(targets_.size()))
        return;
    selectedId_ = ids_[index];
    if (onSelect_)
        onSelect_(targets_[index]);
    accept();
}

} // namespace vantrel
