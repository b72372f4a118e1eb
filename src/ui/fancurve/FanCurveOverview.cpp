#include "ui/fancurve/FanCurveOverview.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

#include "fan/FanControlState.h"
#include "l10n/L10n.h"
#include "ui/fancurve/FanCurveChart.h"
#include "ui/fancurve/FanCurvePageState.h"
#include "ui/widgets/Badge.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

FanCurveOverview::FanCurveOverview(FanCurvePageState& state, QWidget* parent)
    : Card(parent)
    , state_(state)
    , modeTitle_(new TokenLabel(QString(), DSToken::textPri, 16, QFont::DemiBold, this))
    , presetBadge_(new Badge(this))
    , readings_(new TokenLabel(QString(), DSToken::textSec, 12, QFont::Normal, this))
    , chart_(new FanCurveChart(state, this))
    , hint_(new TokenLabel(QString(), DSToken::textTer, 11, QFont::Normal, this))
    , observed_(new TokenLabel(QString(), DSToken::textSec, 12, QFont::Normal, this))
    , presetMenu_(new QComboBox(this))
    , nameField_(new QLineEdit(this))
    , save_(new QPushButton(this))
    , update_(new QPushButton(this))
    , delete_(new QPushButton(this))
    , apply_(new QPushButton(this))
{
    setSymbol(QStringLiteral("fan"));
    auto* head = new QHBoxLayout;
    head->setSpacing(10);
    head->addWidget(modeTitle_);
    head->addWidget(presetBadge_);
    head->addStretch(1);
    readings_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    readings_->setElideMode(Qt::ElideRight);
    modeTitle_->setElideMode(Qt::ElideRight);
    head->addWidget(readings_);
    contentLayout()->addLayout(head);
    contentLayout()->addWidget(chart_, 1);
    hint_->setWordWrap(true);
    contentLayout()->addWidget(hint_);
    observed_->setWordWrap(true);
    contentLayout()->addWidget(observed_);

    // Two lines, so the controls fit the narrowest window: the preset and its name, then the actions.
    auto* naming = new QHBoxLayout;
    naming->setSpacing(8);
    presetMenu_->setMinimumWidth(150);
    presetMenu_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    naming->addWidget(presetMenu_);
    nameField_->setMinimumWidth(140);
    nameField_->setMaxLength(40);
    naming->addWidget(nameField_, 1);
    contentLayout()->addLayout(naming);
    auto* actions = new QHBoxLayout;
    actions->setSpacing(8);
    for (QPushButton* b : {save_, update_, delete_, apply_})
        b->setCursor(Qt::PointingHandCursor);
    actions->addWidget(save_);
    actions->addWidget(update_);
    actions->addWidget(delete_);
    actions->addStretch(1);
    actions->addWidget(apply_);
    apply_->setProperty("role", "primary");
    contentLayout()->addLayout(actions);

    FanPageModel& page = state_.page();
    connect(presetMenu_, &QComboBox::activated, this, [this](int index) {
        const auto& presets = state_.page().customPresets();
        if (index < 1 || index > int(presets.size()))
            return;
        const FanCurveSettings preset = presets[size_t(index - 1)];
        state_.page().setCustomPresetName(preset.name);
        state_.page().applyCustomPreset(preset);
    });
    connect(nameField_, &QLineEdit::textEdited, this,
            [this](const QString& text) { state_.page().setCustomPresetName(text); });
    connect(save_, &QPushButton::clicked, &page, &FanPageModel::saveDraftAsNewPreset);
    connect(update_, &QPushButton::clicked, &page, &FanPageModel::updateSelectedPreset);
    connect(delete_, &QPushButton::clicked, &page, &FanPageModel::deleteSelectedPreset);
    connect(apply_, &QPushButton::clicked, &page, &FanPageModel::applyLiveDraftCurveFromTop);
    connect(&state_, &FanCurvePageState::editorChanged, this, &FanCurveOverview::refreshEditor);
    connect(&state_, &FanCurvePageState::readingsChanged, this, &FanCurveOverview::refreshReadings);
    retranslate();
}

void FanCurveOverview::retranslate()
{
    const QString lang = L10n::currentLanguage();
    setTitle(L10n::tr(QStringLiteral("dcs_fan_curve"), lang));
    nameField_->setPlaceholderText(L10n::tr(QStringLiteral("new_preset_name"), lang));
    save_->setText(L10n::tr(QStringLiteral("save_as_new"), lang));
    update_->setText(L10n::tr(QStringLiteral("update_btn"), lang));
    delete_->setText(L10n::tr(QStringLiteral("삭제"), lang));
    apply_->setText(L10n::tr(QStringLiteral("apply_btn"), lang));
    refreshEditor();
    refreshReadings();
}

void FanCurveOverview::refreshEditor()
{
    const QString lang = L10n::currentLanguage();
    const FanPageModel& page = state_.page();
    const bool locked = state_.editorLocked();
    modeTitle_->setText(state_.modeTitle(lang));
    const QString preset = state_.activePresetTitle(lang);
    presetBadge_->setBadge(preset, DSToken::blue);
    presetBadge_->setVisible(preset != modeTitle_->text());

    {
        const QSignalBlocker block(presetMenu_);
        presetMenu_->clear();
        presetMenu_->addItem(L10n::tr(QStringLiteral("custom_preset"), lang));
        int current = 0;
        for (size_t i = 0; i < page.customPresets().size(); ++i) {
            presetMenu_->addItem(page.customPresets()[i].name);
            if (page.customPresets()[i].id == page.selectedCustomPresetID())
                current = int(i) + 1;
        }
        presetMenu_->setCurrentIndex(current);
    }
    if (nameField_->text() != page.customPresetName())
        nameField_->setText(page.customPresetName());

    presetMenu_->setEnabled(!locked && !page.customPresets().empty());
    nameField_->setEnabled(!locked);
    save_->setEnabled(state_.canSaveNewPreset());
    update_->setEnabled(state_.canUpdatePreset());
    delete_->setEnabled(state_.canDeletePreset());
    // The red text only while it can be used; a disabled button is drawn dimmed.
    const QVariant role = delete_->isEnabled() ? QVariant(QStringLiteral("destructive")) : QVariant();
    if (delete_->property("role") != role) {
        delete_->setProperty("role", role);
        delete_->style()->unpolish(delete_);
        delete_->style()->polish(delete_);
    }
    hint_->setText(locked ? QString() : L10n::tr(QStringLiteral("drag_chart_msg"), lang));
    hint_->setVisible(!locked);
    refreshReadings();
}

void FanCurveOverview::refreshReadings()
{
    const QString lang = L10n::currentLanguage();
    if (state_.hasReadings())
        readings_->setText(QStringLiteral("CPU %1°C  ·  %2 %3 rpm  ·  %4 %5 rpm")
                               .arg(state_.cpuTemperature(), 0, 'f', 0)
                               .arg(L10n::tr(QStringLiteral("fan_left"), lang))
                               .arg(state_.fan0RPM())
                               .arg(L10n::tr(QStringLiteral("fan_right"), lang))
                               .arg(state_.fan1RPM()));
    else
        readings_->clear();

    const bool locked = state_.editorLocked();
    observed_->setVisible(locked);
    if (locked) {
        const MacOSFanCurveSummary& s = state_.fan().macOSFanCurveSummary();
        QStringList parts;
        for (const QString& text : {s.temperatureRangeText, s.rpmRangeText, s.behaviorText, s.bandText})
            if (!text.isEmpty())
                parts << L10n::tr(text, lang);
        observed_->setText(L10n::tr(QStringLiteral("bios_fan_curve"), lang) + QStringLiteral(":  ")
                           + parts.join(QStringLiteral("  ·  ")));
    }
}

} // namespace vantrel
