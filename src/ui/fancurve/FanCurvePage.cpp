#include "ui/fancurve/FanCurvePage.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "fan/FanControlState.h"
#include "l10n/L10n.h"
#include "l10n/L10nNotifier.h"
#include "ui/fancurve/CalibrationSheet.h"
#include "ui/fancurve/FanCardSpec.h"
#include "ui/fancurve/FanChoiceCard.h"
#include "ui/fancurve/FanCurveOverview.h"
#include "ui/fancurve/FanCurvePageState.h"
#include "ui/fancurve/FanFeatureRow.h"
#include "ui/fancurve/SmartAppPresetSheet.h"
#include "ui/style/StatusToneToken.h"
#include "ui/widgets/Card.h"
#include "ui/widgets/DetailSheet.h"
#include "ui/widgets/ScrollingPage.h"
#include "ui/widgets/StatusLine.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

namespace {

QString cardSymbol(int id)
{
    switch (id) {
    case 1:
        return QStringLiteral("gearshape");
    case 2:
        return QStringLiteral("fan");
    case 8:
        return QStringLiteral("moon.zzz");
    case 9:
        return QStringLiteral("gauge.with.dots.needle.33percent");
    case 10:
        return QStringLiteral("bolt.fill");
    default:
        return QStringLiteral("wind");
    }
}

} // namespace

FanCurvePage::FanCurvePage(const UiContext& context, QWidget* parent)
    : QWidget(parent)
    , context_(context)
    , state_(std::make_unique<FanCurvePageState>(context.fan, context.daemon, *context.dispatch))
{
    buildLayout();
    connect(state_.get(), &FanCurvePageState::editorChanged, this, &FanCurvePage::refreshSelection);
    connect(state_.get(), &FanCurvePageState::togglesChanged, this, &FanCurvePage::refreshToggles);
    connect(state_.get(), &FanCurvePageState::statusChanged, this, &FanCurvePage::refreshStatus);
    connect(&L10n::notifier(), &L10nNotifier::currentLanguageChanged, this, &FanCurvePage::retranslate);
    retranslate();
}

FanCurvePage::~FanCurvePage() = default;

void FanCurvePage::buildLayout()
{
    const ScrollingPage scrolling(this);
    QWidget* content = scrolling.content();
    QVBoxLayout* page = scrolling.column({28, 24, 28, 28}, 14);

    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    title_ = new TokenLabel(QString(), DSToken::textPri, 24, QFont::Bold, content);
    subtitle_ = new TokenLabel(QString(), DSToken::textSec, 13, QFont::Normal, content);
    subtitle_->setWordWrap(true);
    titles->addWidget(title_);
    titles->addWidget(subtitle_);
    page->addLayout(titles);
    status_ = new StatusLine(content);
    page->addWidget(status_);
    unavailable_ = new TokenLabel(QString(), DSToken::orange, 12, QFont::Normal, content);
    unavailable_->setWordWrap(true);
    page->addWidget(unavailable_);

    auto addChoiceRow = [&](TokenLabel*& heading, const QList<int>& ids) {
        heading = new TokenLabel(QString(), DSToken::textSec, 12, QFont::DemiBold, content);
        page->addWidget(heading);
        auto* row = new QGridLayout;
        row->setHorizontalSpacing(14);
        for (int i = 0; i < ids.size(); ++i) {
            auto* card = new FanChoiceCard(ids[i], cardSymbol(ids[i]), content);
            cards_[ids[i]] = card;
            row->addWidget(card, 0, i);
            row->setColumnStretch(i, 1);
            connect(card, &FanChoiceCard::detailsRequested, this, [this](int id) { openCardDetail(id); });
        }
        page->addLayout(row);
    };
    addChoiceRow(modeHeading_, FanCardSpecs::modeCards());
    for (int id : FanCardSpecs::modeCards())
        connect(cards_[id], &FanChoiceCard::selectRequested, &state_->page(), &FanPageModel::applyOperatingMode);
    addChoiceRow(presetHeading_, FanCardSpecs::presetCards());
    for (int id : FanCardSpecs::presetCards())
        connect(cards_[id], &FanChoiceCard::selectRequested, &state_->page(), &FanPageModel::applyPreset);

    overview_ = new FanCurveOverview(*state_, content);
    overview_->setMinimumHeight(430);
    page->addWidget(overview_);

    featuresCard_ = new Card(content);
    featuresCard_->setSymbol(QStringLiteral("wrench.and.screwdriver"));
    for (int id : FanCardSpecs::featureRows()) {
        auto* row = new FanFeatureRow(id, featuresCard_);
        rows_[id] = row;
        featuresCard_->contentLayout()->addWidget(row);
        connect(row, &FanFeatureRow::switched, this, [this](int card, bool on) {
            state_->setToggle(card, on);
            refreshToggles();
        });
    }
    connect(rows_[FanCardSpecs::smartAppRow]->actionButton(), &QPushButton::clicked, this,
            [this] { openSmartAppSheet(); });
    connect(rows_[FanCardSpecs::calibrationRow]->actionButton(), &QPushButton::clicked, this,
            [this] { openCalibrationSheet(); });
    page->addWidget(featuresCard_);
    page->addStretch(1);
}

void FanCurvePage::retranslate()
{
    const QString lang = L10n::currentLanguage();
    title_->setText(L10n::tr(QStringLiteral("dcs_fan_curve"), lang));
    subtitle_->setText(L10n::tr(QStringLiteral("thermal_sub"), lang));
    modeHeading_->setText(L10n::tr(QStringLiteral("op_mode"), lang));
    presetHeading_->setText(L10n::tr(QStringLiteral("status_preset"), lang));
    const QString selected = L10n::tr(QStringLiteral("현재"), lang);
    const QString details = L10n::tr(QStringLiteral("common.details"), lang);
    for (auto& [id, card] : cards_)
        card->setSpec(FanCardSpecs::spec(id, lang), selected, details);
    featuresCard_->setTitle(L10n::tr(QStringLiteral("common.feature"), lang));
    for (auto& [id, row] : rows_)
        row->setSpec(FanCardSpecs::spec(id, lang));
    rows_[FanCardSpecs::smartAppRow]->actionButton()->setText(details);
    rows_[FanCardSpecs::calibrationRow]->actionButton()->setText(details);
    unavailable_->setText(L10n::tr(QStringLiteral("dashboard.fans.control_unavailable"), lang));
    overview_->retranslate();
    refreshSelection();
    refreshToggles();
    refreshStatus();
}

void FanCurvePage::refreshSelection()
{
    const FanPageModel& page = state_->page();
    const bool macOS = state_->isMacOSDefault();
    for (auto& [id, card] : cards_) {
        if (FanCardSpecs::modeCards().contains(id))
            card->setSelected(id == page.selectedFanMode());
        else
            card->setSelected(!macOS && id == page.selectedPreset() && page.selectedCustomPresetID().isNull());
    }
    unavailable_->setVisible(!page.fanControlsAvailable());
}

void FanCurvePage::refreshToggles()
{
    for (auto& [id, row] : rows_)
        row->setOn(state_->toggle(id));
}

void FanCurvePage::refreshStatus()
{
    const FanStatusLine& s = state_->status();
    if (s.keys.isEmpty()) {
        status_->clear();
        return;
    }
    status_->setStatus(s.text(L10n::currentLanguage()), statusToneToken(s.tone));
}

FanChoiceCard* FanCurvePage::card(int id) const
{
    const auto it = cards_.find(id);
    return it == cards_.end() ? nullptr : it->second;
}

FanFeatureRow* FanCurvePage::featureRow(int id) const
{
    const auto it = rows_.find(id);
    return it == rows_.end() ? nullptr : it->second;
}

SmartAppPresetSheet* FanCurvePage::openSmartAppSheet()
{
    if (!smartAppSheet_) {
        smartAppSheet_ = new SmartAppPresetSheet(context_.daemon, window());
        smartAppSheet_->setAttribute(Qt::WA_DeleteOnClose);
    }
    smartAppSheet_->open();
    return smartAppSheet_;
}

CalibrationSheet* FanCurvePage::openCalibrationSheet()
{
    if (!calibrationSheet_) {
        calibrationSheet_ = new CalibrationSheet(window());
        calibrationSheet_->setAttribute(Qt::WA_DeleteOnClose);
    }
    calibrationSheet_->open();
    return calibrationSheet_;
}

bool FanCurvePage::showSmartAppSheet() const { return smartAppSheet_ && smartAppSheet_->isVisible(); }

bool FanCurvePage::showCalibrationSheet() const { return calibrationSheet_ && calibrationSheet_->isVisible(); }

DetailSheet* FanCurvePage::openCardDetail(int id)
{
    auto* sheet
        = FanChoiceCard::makeDetailSheet(FanCardSpecs::spec(id, L10n::currentLanguage()), cardSymbol(id), window());
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->open();
    return sheet;
}

void FanCurvePage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    state_->appear();
}

} // namespace vantrel
