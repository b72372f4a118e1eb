#include "ui/power/PowerFeatureList.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "l10n/L10n.h"
#include "power/PowerPageModel.h"
#include "ui/style/StatusToneToken.h"
#include "ui/widgets/StatusLine.h"
#include "ui/widgets/SwitchControl.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

namespace {

struct FeatureTexts {
    int id;
    const char* title;
    const char* detail;
};

// The rows in order; 16, 20 and 24 have no back end yet and only answer with a notice.
const FeatureTexts kFeatures[] = {
    {15, "charge_limit", "charge_limit_sub"},
    {16, "power.feature.adaptive_charging", "power.feature.adaptive_charging.desc"},
    {17, "power.feature.charge_protector", "power.feature.charge_protector.desc"},
    {18, "force_discharge_mode", "force_discharge_sub"},
    {19, "heat_protection", "heat_protection_sub"},
    {20, "power.feature.calibration", "power.feature.calibration.desc"},
    {21, "feature.power.one_time_full_charge", "feature.power.one_time_full_charge.desc"},
    {22, "power.feature.cloud_heartbeat", "power.feature.cloud_heartbeat.desc"},
    {23, "feature.power.cloud_alerts", "feature.power.cloud_alerts.desc"},
    {24, "power.feature.charge_schedule", "power.feature.charge_schedule.desc"},
};

bool isLocked(int id) { return PowerPageModel::connectionLabel(id) == QStringLiteral("backend needed"); }

} // namespace

PowerFeatureList::PowerFeatureList(PowerPageModel& model, QWidget* parent)
    : Card(parent)
    , model_(model)
{
    setSymbol(QStringLiteral("list.bullet"));
    for (const FeatureTexts& f : kFeatures) {
        const int id = f.id;
        Row row;
        auto* line = new QHBoxLayout;
        line->setSpacing(12);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(1);
        row.title
            = new TokenLabel(QString(), isLocked(id) ? DSToken::textSec : DSToken::textPri, 13, QFont::DemiBold, this);
        row.detail = new TokenLabel(QString(), DSToken::textTer, 11, QFont::Normal, this);
        row.detail->setWordWrap(true);
        texts->addWidget(row.title);
        texts->addWidget(row.detail);
        line->addLayout(texts, 1);
        if (id == PowerPageModel::safetyDrainFeature) {
            drainTarget_ = new QPushButton(this);
            drainTarget_->setCursor(Qt::PointingHandCursor);
            line->addWidget(drainTarget_, 0, Qt::AlignVCenter);
            connect(drainTarget_, &QPushButton::clicked, this, &PowerFeatureList::drainTargetRequested);
        }
        if (id == PowerPageModel::cloudAlertFeature) {
            alertSettings_ = new QPushButton(this);
            alertSettings_->setCursor(Qt::PointingHandCursor);
            line->addWidget(alertSettings_, 0, Qt::AlignVCenter);
            connect(alertSettings_, &QPushButton::clicked, this, &PowerFeatureList::alertSettingsRequested);
        }
        row.toggle = new SwitchControl(this);
        row.toggle->setObjectName(QStringLiteral("feature-%1").arg(id));
        row.toggle->setChecked(model_.isOn(id));
        line->addWidget(row.toggle, 0, Qt::AlignVCenter);
        contentLayout()->addLayout(line);
        // A click is the user's request; the model may keep, refuse or spring the switch back.
        connect(row.toggle, &SwitchControl::clicked, this, [this, id](bool checked) {
            model_.handleFeatureToggle(id, checked);
            const QSignalBlocker block(rows_[id].toggle);
            rows_[id].toggle->setChecked(model_.isOn(id));
        });
        rows_[id] = row;
    }
    status_ = new StatusLine(this);
    contentLayout()->addWidget(status_);

    connect(&model_, &PowerPageModel::toggleChanged, this, [this](int id, bool on) {
        auto it = rows_.find(id);
        if (it == rows_.end())
            return;
        const QSignalBlocker block(it->second.toggle);
        it->second.toggle->setChecked(on);
    });
    connect(&model_, &PowerPageModel::featureActionStatusChanged, this, &PowerFeatureList::showStatus);
    connect(&model_, &PowerPageModel::safetyDrainTargetPercentChanged, this, &PowerFeatureList::showDrainTarget);
    retranslate();
}

SwitchControl* PowerFeatureList::switchFor(int id) const
{
    const auto it = rows_.find(id);
    return it == rows_.end() ? nullptr : it->second.toggle;
}

void PowerFeatureList::setControlsEnabled(bool enabled)
{
    for (auto& [id, row] : rows_)
        row.toggle->setEnabled(enabled);
    drainTarget_->setEnabled(enabled);
}

void PowerFeatureList::retranslate()
{
    const QString lang = L10n::currentLanguage();
    setTitle(L10n::tr("power.features.title", lang));
    for (const FeatureTexts& f : kFeatures) {
        Row& row = rows_[f.id];
        row.title->setText(L10n::tr(QString::fromLatin1(f.title), lang));
        QString detail = L10n::tr(QString::fromLatin1(f.detail), lang);
        if (isLocked(f.id))
            detail += QStringLiteral(" · ") + L10n::tr("power.feature.locked_hint", lang);
        row.detail->setText(detail);
    }
    alertSettings_->setText(L10n::tr("power.features.alert_settings", lang));
    showDrainTarget();
    showStatus();
}

void PowerFeatureList::showDrainTarget()
{
    const QString lang = L10n::currentLanguage();
    const auto target = model_.safetyDrainTargetPercent();
    drainTarget_->setText(L10n::format(
        "power.panel.drain_target",
        target ? QString::number(*target) + QLatin1Char('%') : L10n::tr("power.safety_drain.auto", lang), lang));
}

void PowerFeatureList::showStatus()
{
    // The model's text is in the language of the moment it was shown; build it again here.
    const QString key = model_.featureActionStatusKey();
    if (key.isEmpty()) {
        status_->clear();
        return;
    }
    const auto argument = model_.featureActionStatusArgument();
    const QString text = argument ? L10n::format(key, *argument) : L10n::tr(key);
    status_->setStatus(text, statusToneToken(model_.featureActionStatusTone()));
}

} // namespace vantrel
