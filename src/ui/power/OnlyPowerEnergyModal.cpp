#include "ui/power/OnlyPowerEnergyModal.h"

#include <QGridLayout>

#include "l10n/L10n.h"
#include "ui/power/OnlyPowerEnergyFigures.h"
#include "ui/widgets/Card.h"
#include "ui/widgets/MetricView.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

OnlyPowerEnergyModal::OnlyPowerEnergyModal(Dispatch& dispatch, std::function<OnlyPowerEnergySnapshot()> load,
                                           QWidget* parent)
    : DetailSheet(parent)
    , dispatch_(dispatch)
    , load_(std::move(load))
{
    const QString lang = L10n::currentLanguage();
    setHeader(QStringLiteral("bolt.fill"), L10n::tr("power.energy.banner.title", lang),
              L10n::tr("power.energy.banner.subtitle", lang));
    resize(620, 600);

    collecting_ = new TokenLabel(L10n::tr("power.energy.collecting", lang), DSToken::textSec, 13, QFont::Normal);
    collecting_->setWordWrap(true);
    collecting_->hide();
    contentLayout()->addWidget(collecting_);

    grid_ = new QWidget;
    auto* layout = new QGridLayout(grid_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(10);
    layout->setVerticalSpacing(10);
    const auto labels = onlyPowerEnergyFigures(OnlyPowerEnergySnapshot{});
    for (size_t i = 0; i < labels.size(); ++i) {
        auto* card = new Card(grid_);
        auto* view = new MetricView(L10n::tr(labels[i].labelKey, lang), card);
        view->setObjectName(labels[i].labelKey);
        view->setValuePixelSize(18);
        card->contentLayout()->addWidget(view);
        layout->addWidget(card, static_cast<int>(i / 3), static_cast<int>(i % 3));
        figures_.push_back(view);
    }
    for (int c = 0; c < 3; ++c)
        layout->setColumnStretch(c, 1);
    contentLayout()->addWidget(grid_);
    setCloseText(L10n::tr("dashboard.sheet.done", lang));

    reload();
    timer_ = dispatch_.every(dispatch_.main(), seconds(reloadSeconds), seconds(1),
                             weakly(this, [](OnlyPowerEnergyModal* self) { self->reload(); }));
}

OnlyPowerEnergyModal::~OnlyPowerEnergyModal()
{
    if (timer_)
        timer_->cancel();
}

void OnlyPowerEnergyModal::done(int result)
{
    if (timer_) {
        timer_->cancel();
        timer_.reset();
    }
    DetailSheet::done(result);
}

void OnlyPowerEnergyModal::reload()
{
    const OnlyPowerEnergySnapshot snapshot = load_ ? load_() : OnlyPowerEnergySnapshot{};
    ++loadCount_;
    const bool collecting = onlyPowerEnergyCollecting(snapshot);
    collecting_->setVisible(collecting);
    const auto figures = onlyPowerEnergyFigures(snapshot);
    for (size_t i = 0; i < figures.size() && i < figures_.size(); ++i)
        figures_[i]->setValue(figures[i].value, collecting ? DSToken::textTer : DSToken::textPri);
}

bool OnlyPowerEnergyModal::showsCollecting() const { return !collecting_->isHidden(); }

} // namespace vantrel
