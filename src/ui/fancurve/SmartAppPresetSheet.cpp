#include "ui/fancurve/SmartAppPresetSheet.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "fan/SmartAppPresetSheetModel.h"
#include "l10n/L10n.h"
#include "ui/style/StatusToneToken.h"
#include "ui/widgets/Card.h"
#include "ui/widgets/StatusLine.h"
#include "ui/widgets/SwitchControl.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

QString SmartAppPresetSheet::choiceText(const QString& choice, const QString& lang)
{
    if (choice == QLatin1String("Silent"))
        return L10n::tr(QStringLiteral("curve_silent"), lang);
    if (choice == QLatin1String("Balanced"))
        return L10n::tr(QStringLiteral("curve_balance"), lang);
    if (choice == QLatin1String("Performance"))
        return L10n::tr(QStringLiteral("curve_performance"), lang);
    if (choice == QLatin1String("Auto"))
        return L10n::tr(QStringLiteral("자동"), lang);
    return choice;
}

SmartAppPresetSheet::SmartAppPresetSheet(std::shared_ptr<DaemonClient> daemon, QWidget* parent)
    : DetailSheet(parent)
    , daemon_(std::move(daemon))
    , model_(std::make_unique<SmartAppPresetSheetModel>(*daemon_))
{
    const QString lang = L10n::currentLanguage();
    setHeader(QStringLiteral("wind"), L10n::tr(QStringLiteral("fan.smart_app_preset_cooling"), lang),
              L10n::tr(QStringLiteral("fan.smart_app.note"), lang));

    auto fillPicker = [&lang](QComboBox* box, const QStringList& choices) {
        for (const QString& c : choices)
            box->addItem(choiceText(c, lang), c);
    };
    const auto rules = model_->rules();
    for (size_t i = 0; i < rules.size(); ++i) {
        const SmartAppRule& rule = rules[i];
        auto* card = new Card;
        auto* grid = new QGridLayout;
        grid->setHorizontalSpacing(12);
        grid->setVerticalSpacing(4);
        auto* name = new TokenLabel(rule.appName, DSToken::textPri, 14, QFont::DemiBold, card);
        auto* bundle = new TokenLabel(rule.bundleId, DSToken::textTer, 11, QFont::Normal, card);
        grid->addWidget(name, 0, 0);
        grid->addWidget(bundle, 1, 0);
        auto* launchLabel = new TokenLabel(L10n::tr(QStringLiteral("fan.smart_app.on_launch"), lang), DSToken::textSec,
                                           11, QFont::Normal, card);
        auto* exitLabel = new TokenLabel(L10n::tr(QStringLiteral("fan.smart_app.on_exit"), lang), DSToken::textSec, 11,
                                         QFont::Normal, card);
        auto* launch = new QComboBox(card);
        auto* exit = new QComboBox(card);
        fillPicker(launch, SmartAppPresetSheetModel::launchChoices());
        fillPicker(exit, SmartAppPresetSheetModel::exitChoices());
        launch->setEnabled(rule.editable);
        exit->setEnabled(rule.editable);
        grid->addWidget(launchLabel, 0, 1);
        grid->addWidget(launch, 1, 1);
        grid->addWidget(exitLabel, 0, 2);
        grid->addWidget(exit, 1, 2);
        grid->setColumnStretch(0, 1);
        card->contentLayout()->addLayout(grid);
        contentLayout()->addWidget(card);
        launch_.push_back(launch);
        exit_.push_back(exit);
        if (rule.editable) {
            connect(launch, &QComboBox::activated, this,
                    [this, launch] { model_->setSelectedPreset(launch->currentData().toString()); });
            connect(exit, &QComboBox::activated, this,
                    [this, exit] { model_->setRestorePreset(exit->currentData().toString()); });
        }
    }

    auto* preemptiveRow = new QHBoxLayout;
    auto* preemptiveText = new TokenLabel(L10n::tr(QStringLiteral("fan.smart_app.preemptive"), lang), DSToken::textPri,
                                          13, QFont::Normal, this);
    preemptiveText->setWordWrap(true);
    preemptive_ = new SwitchControl(this);
    preemptive_->setCheckable(true);
    preemptiveRow->addWidget(preemptiveText, 1);
    preemptiveRow->addWidget(preemptive_);
    contentLayout()->addLayout(preemptiveRow);
    connect(preemptive_, &SwitchControl::toggled, model_.get(), &SmartAppPresetSheetModel::setIncludePreemptive);

    status_ = new StatusLine(this);
    contentLayout()->addWidget(status_);
    auto* actions = new QHBoxLayout;
    addApp_ = new QPushButton(L10n::tr(QStringLiteral("fan.smart_app.add_app"), lang), this);
    save_ = new QPushButton(L10n::tr(QStringLiteral("fan.smart_app.save_rule"), lang), this);
    save_->setProperty("role", "primary");
    actions->addWidget(addApp_);
    actions->addStretch(1);
    actions->addWidget(save_);
    contentLayout()->addLayout(actions);
    connect(addApp_, &QPushButton::clicked, model_.get(), &SmartAppPresetSheetModel::addApp);
    connect(save_, &QPushButton::clicked, model_.get(), &SmartAppPresetSheetModel::saveRule);
    connect(model_.get(), &SmartAppPresetSheetModel::rulesChanged, this, &SmartAppPresetSheet::refresh);
    connect(model_.get(), &SmartAppPresetSheetModel::includePreemptiveChanged, this, &SmartAppPresetSheet::refresh);
    connect(model_.get(), &SmartAppPresetSheetModel::actionStatusChanged, this, &SmartAppPresetSheet::refresh);

    setCloseText(L10n::tr(QStringLiteral("common.close"), lang));
    resize(620, 600);
    refresh();
}

SmartAppPresetSheet::~SmartAppPresetSheet() = default;

void SmartAppPresetSheet::refresh()
{
    const auto rules = model_->rules();
    for (size_t i = 0; i < rules.size(); ++i) {
        const QSignalBlocker blockLaunch(launch_[i]);
        const QSignalBlocker blockExit(exit_[i]);
        launch_[i]->setCurrentIndex(launch_[i]->findData(rules[i].onLaunch));
        exit_[i]->setCurrentIndex(exit_[i]->findData(rules[i].onExit));
    }
    // The switch moves its knob on its own toggled signal; the model ignores an unchanged value.
    preemptive_->setChecked(model_->includePreemptive());
    const FanStatusLine& s = model_->actionStatus();
    status_->setStatus(s.text(L10n::currentLanguage()), statusToneToken(s.tone));
}

} // namespace vantrel
