#include "ui/dashboard/PolicyCard.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "l10n/L10n.h"
#include "ui/dashboard/DashboardRefreshResult.h"
#include "ui/widgets/SymbolView.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

namespace {

QString driverText(const QString& driver, const QString& lang)
{
    if (driver == QStringLiteral("Fan Policy"))
        return L10n::tr("dashboard.driver.fan_policy", lang);
    if (driver == QStringLiteral("Power Policy"))
        return L10n::tr("dashboard.driver.power_policy", lang);
    if (driver == QStringLiteral("Sleep Policy"))
        return L10n::tr("dashboard.driver.sleep_policy", lang);
    // The model holds the default's name in the language of its last refresh; show it in
    // the current one.
    return L10n::tr("dashboard.driver.macos_default", lang);
}

} // namespace

PolicyCard::PolicyCard(QWidget* parent)
    : Card(parent)
    , policy_(new TokenLabel(QString(), DSToken::textPri, 20, QFont::DemiBold, this))
    , preset_(new TokenLabel(QString(), DSToken::textSec, 12, QFont::Normal, this))
    , flagGrid_(new QWidget(this))
{
    setSymbol(QStringLiteral("checkmark.shield"));
    policy_->setWordWrap(true);
    contentLayout()->addWidget(policy_);
    contentLayout()->addWidget(preset_);
    auto* grid = new QGridLayout(flagGrid_);
    grid->setContentsMargins(0, 6, 0, 0);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(6);
    constexpr int kFlagCount = 7;
    for (int i = 0; i < kFlagCount; ++i) {
        auto* row = new QWidget(flagGrid_);
        auto* h = new QHBoxLayout(row);
        h->setContentsMargins(0, 0, 0, 0);
        h->setSpacing(6);
        auto* mark = new SymbolView(QStringLiteral("circle"), DSToken::textDisabled, 13, row);
        auto* label = new TokenLabel(QString(), DSToken::textTer, 12, QFont::Normal, row);
        h->addWidget(mark);
        h->addWidget(label, 1);
        grid->addWidget(row, i / 2, i % 2);
        rows_.push_back({mark, label});
    }
    contentLayout()->addWidget(flagGrid_);
    contentLayout()->addStretch(1);
}

void PolicyCard::show(const DashboardRefreshResult& r, const QString& lang)
{
    const bool macosDefault = r.currentDriver != QStringLiteral("Fan Policy")
        && r.currentDriver != QStringLiteral("Power Policy") && r.currentDriver != QStringLiteral("Sleep Policy");
    policy_->setText(driverText(r.currentDriver, lang));
    policy_->setToken(macosDefault ? DSToken::textSec : DSToken::blue);
    const QString presetName
        = r.fanPresetName == QStringLiteral("-") ? QStringLiteral("-") : L10n::displayName(r.fanPresetName, lang);
    preset_->setText(L10n::format("dashboard.policy.fan_preset", presetName, lang));

    flags_ = {
        {L10n::tr("charge_limit", lang), r.chargeLimitEnabled},
        {L10n::tr("sailing_mode", lang), r.chargeProtectorEnabled},
        {L10n::tr("force_discharge_mode", lang), r.safetyDrainEnabled},
        {L10n::tr("heat_protection", lang), r.heatProtectionEnabled},
        {L10n::tr("100% 완충", lang), r.oneTimeFullChargeActive},
        {L10n::tr("sleep_prevent", lang), r.sleepDisabledByVantrel},
        {L10n::tr("dashboard.policy.fan_policy", lang), r.fanPolicyEnabled},
    };
    for (size_t i = 0; i < flags_.size() && i < rows_.size(); ++i) {
        const auto& [label, on] = flags_[i];
        rows_[i].mark->setSymbol(on ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("circle"));
        rows_[i].mark->setToken(on ? DSToken::green : DSToken::textDisabled);
        rows_[i].label->setText(label);
        rows_[i].label->setToken(on ? DSToken::textPri : DSToken::textTer);
    }
}

QString PolicyCard::policyText() const { return policy_->text(); }

} // namespace vantrel
