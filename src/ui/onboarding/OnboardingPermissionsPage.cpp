#include "ui/onboarding/OnboardingPermissionsPage.h"

#include <QHBoxLayout>
#include <QLocale>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "l10n/L10n.h"
#include "l10n/L10nNotifier.h"
#include "ui/onboarding/OnboardingBrandMark.h"
#include "ui/onboarding/OnboardingGateModel.h"
#include "ui/widgets/Card.h"
#include "ui/widgets/ScrollingPage.h"
#include "ui/widgets/StatusLine.h"
#include "ui/widgets/SymbolView.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

namespace {

TokenLabel* wrapped(DSToken token, int size, QFont::Weight weight, QWidget* parent)
{
    auto* label = new TokenLabel(QString(), token, size, weight, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

OnboardingPermissionsPage::OnboardingPermissionsPage(OnboardingGateModel& model, QWidget* parent)
    : QWidget(parent)
    , model_(model)
{
    const ScrollingPage scrolling(this, Qt::ScrollBarAsNeeded);
    QWidget* canvas = scrolling.content();
    auto* canvasLayout = new QHBoxLayout(canvas);
    canvasLayout->setContentsMargins(32, 24, 32, 24);
    auto* body = new QWidget(canvas);
    body->setMaximumWidth(760);
    canvasLayout->addWidget(body);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);
    column->addStretch(1);

    column->addWidget(new OnboardingBrandMark(body), 0, Qt::AlignHCenter);
    step_ = new TokenLabel(QStringLiteral("2 / 2"), DSToken::textTer, 12, QFont::DemiBold, body);
    column->addWidget(step_, 0, Qt::AlignHCenter);
    title_ = wrapped(DSToken::textPri, 24, QFont::DemiBold, body);
    title_->setAlignment(Qt::AlignHCenter);
    subtitle_ = wrapped(DSToken::textSec, 13, QFont::Normal, body);
    subtitle_->setAlignment(Qt::AlignHCenter);
    column->addWidget(title_);
    column->addWidget(subtitle_);

    // What the user gets once ready.
    auto* values = new QHBoxLayout;
    values->setSpacing(10);
    const std::pair<const char*, DSToken> symbols[3] = {
        {"thermometer.medium", DSToken::orange}, {"moon.zzz", DSToken::blue}, {"arrow.uturn.backward", DSToken::green}};
    for (int i = 0; i < 3; ++i) {
        auto* card = new Card(body);
        auto* row = new QHBoxLayout;
        row->setSpacing(8);
        row->addWidget(new SymbolView(QString::fromLatin1(symbols[i].first), symbols[i].second, 18, card), 0,
                       Qt::AlignTop);
        values_[i].title = wrapped(DSToken::textPri, 13, QFont::DemiBold, card);
        row->addWidget(values_[i].title, 1);
        card->contentLayout()->addLayout(row);
        values_[i].body = wrapped(DSToken::textSec, 12, QFont::Normal, card);
        card->contentLayout()->addWidget(values_[i].body);
        card->contentLayout()->addStretch(1);
        values->addWidget(card, 1);
    }
    column->addLayout(values);

    // The helper tools.
    auto* helper = new Card(body);
    auto* helperHeader = new QHBoxLayout;
    helperHeader->addWidget(new SymbolView(QStringLiteral("wrench.and.screwdriver"), DSToken::blue, 18, helper));
    helperTitle_ = new TokenLabel(QString(), DSToken::textPri, 15, QFont::DemiBold, helper);
    helperHeader->addWidget(helperTitle_, 1);
    helperBadge_ = new TokenLabel(QString(), DSToken::orange, 11, QFont::DemiBold, helper);
    helperHeader->addWidget(helperBadge_);
    helper->contentLayout()->addLayout(helperHeader);
    helperSubtitle_ = wrapped(DSToken::textSec, 12, QFont::Normal, helper);
    helper->contentLayout()->addWidget(helperSubtitle_);
    auto* helperRow = new QHBoxLayout;
    helperStatus_ = new StatusLine(helper);
    helperRow->addWidget(helperStatus_, 1);
    install_ = new QPushButton(helper);
    install_->setCursor(Qt::PointingHandCursor);
    helperRow->addWidget(install_);
    helper->contentLayout()->addLayout(helperRow);
    installOutcome_ = wrapped(DSToken::textSec, 12, QFont::Normal, helper);
    installOutcome_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    helper->contentLayout()->addWidget(installOutcome_);
    column->addWidget(helper);

    // The accessibility permission.
    auto* access = new Card(body);
    auto* accessHeader = new QHBoxLayout;
    accessHeader->addWidget(new SymbolView(QStringLiteral("checkmark.shield"), DSToken::blue, 18, access));
    accessibilityTitle_ = new TokenLabel(QString(), DSToken::textPri, 15, QFont::DemiBold, access);
    accessHeader->addWidget(accessibilityTitle_, 1);
    access->contentLayout()->addLayout(accessHeader);
    accessibilitySubtitle_ = wrapped(DSToken::textSec, 12, QFont::Normal, access);
    access->contentLayout()->addWidget(accessibilitySubtitle_);
    auto* accessRow = new QHBoxLayout;
    accessibilityStatus_ = new StatusLine(access);
    accessRow->addWidget(accessibilityStatus_, 1);
    accessibility_ = new QPushButton(access);
    accessibility_->setCursor(Qt::PointingHandCursor);
    accessRow->addWidget(accessibility_);
    access->contentLayout()->addLayout(accessRow);
    accessibilityHint_ = wrapped(DSToken::textTer, 11, QFont::Normal, access);
    access->contentLayout()->addWidget(accessibilityHint_);
    column->addWidget(access);

    column->addStretch(1);

    // Re-check and finish, kept below the scrolling part so the way on is in view at every
    // window size.
    auto* footerBar = new QWidget(this);
    auto* footerBarLayout = new QHBoxLayout(footerBar);
    footerBarLayout->setContentsMargins(32, 8, 32, 16);
    auto* footerBody = new QWidget(footerBar);
    footerBody->setMaximumWidth(760);
    footerBarLayout->addWidget(footerBody);
    auto* footer = new QHBoxLayout(footerBody);
    footer->setContentsMargins(0, 0, 0, 0);
    checking_ = wrapped(DSToken::textTer, 11, QFont::Normal, footerBody);
    footer->addWidget(checking_, 1);
    refresh_ = new QPushButton(footerBody);
    refresh_->setCursor(Qt::PointingHandCursor);
    footer->addWidget(refresh_);
    finish_ = new QPushButton(footerBody);
    finish_->setMinimumWidth(160);
    finish_->setCursor(Qt::PointingHandCursor);
    footer->addWidget(finish_);
    scrolling.pageLayout()->addWidget(footerBar);

    connect(install_, &QPushButton::clicked, this, [this] { model_.installBatteryHelper(); });
    connect(accessibility_, &QPushButton::clicked, this, [this] { model_.openAccessibilitySettings(); });
    connect(refresh_, &QPushButton::clicked, this, [this] { model_.refreshRuntimeReadiness(true); });
    connect(finish_, &QPushButton::clicked, this, [this] { model_.finishPermissions(); });
    connect(&model_, &OnboardingGateModel::stateChanged, this, [this] { refresh(); });
    connect(&L10n::notifier(), &L10nNotifier::currentLanguageChanged, this, [this] { retranslate(); });
    retranslate();
}

void OnboardingPermissionsPage::retranslate()
{
    title_->setText(L10n::tr("onboarding.permissions.title"));
    subtitle_->setText(L10n::tr("onboarding.permissions.subtitle"));
    values_[0].title->setText(L10n::tr("onboarding.permissions.value.read.title"));
    values_[0].body->setText(L10n::tr("onboarding.permissions.value.read.body"));
    values_[1].title->setText(L10n::tr("onboarding.permissions.value.continue.title"));
    values_[1].body->setText(L10n::tr("onboarding.permissions.value.continue.body"));
    values_[2].title->setText(L10n::tr("onboarding.permissions.value.return.title"));
    values_[2].body->setText(L10n::tr("onboarding.permissions.value.return.body"));
    helperTitle_->setText(L10n::tr("onboarding.battery_helper.title"));
    helperBadge_->setText(L10n::tr("onboarding.battery_helper.badge"));
    helperSubtitle_->setText(L10n::tr("onboarding.battery_helper.subtitle"));
    install_->setText(L10n::tr("onboarding.battery_helper.install_button"));
    accessibilityTitle_->setText(L10n::tr("onboarding.accessibility.title"));
    accessibilitySubtitle_->setText(L10n::tr("onboarding.accessibility.subtitle"));
    refresh_->setText(L10n::tr("onboarding.permissions.refresh"));
    finish_->setText(L10n::tr("onboarding.permissions.start_app"));
    refresh();
}

void OnboardingPermissionsPage::refresh()
{
    helperStatus_->setStatus(L10n::tr(model_.statusLineKey()), model_.statusLineTone());
    helperBadge_->setVisible(!model_.batteryHelperReady());
    install_->setEnabled(!model_.isInstallingBatteryHelper());
    const QString outcome = model_.installOutcomeText();
    installOutcome_->setText(outcome);
    installOutcome_->setVisible(!outcome.isEmpty());
    installOutcome_->setToken(model_.batteryHelperErrorMessage() ? DSToken::red : DSToken::textSec);

    const bool trusted = model_.accessibilityTrusted();
    if (trusted)
        accessibilityStatus_->setStatus(L10n::tr("onboarding.accessibility.status.allowed"), DSToken::green);
    else
        accessibilityStatus_->setStatus(L10n::tr("onboarding.accessibility.status.required"), DSToken::orange);
    accessibility_->setText(model_.didOpenAccessibilitySettings()
                                ? L10n::tr("onboarding.accessibility.open_settings")
                                : L10n::tr("onboarding.accessibility.configure_button"));
    accessibility_->setVisible(!trusted);
    accessibilityHint_->setText(L10n::tr("onboarding.accessibility.reinstall_hint"));
    accessibilityHint_->setVisible(model_.didOpenAccessibilitySettings() && !trusted);

    QStringList notes;
    if (model_.pendingRechecks() > 0)
        notes << L10n::tr("onboarding.permissions.auto_refresh");
    if (const auto& at = model_.permissionLastCheckedAt())
        notes << L10n::format(
            "onboarding.permissions.last_checked",
            QLocale(L10n::currentLanguage()).toString(at->toLocalTime().time(), QLocale::ShortFormat));
    checking_->setText(notes.join(QStringLiteral("  ·  ")));

    // The start button stays pressable (a press re-checks), but it only looks like the way on
    // once both steps are done, so a press that cannot finish is not a surprise.
    const QString role = model_.permissionsReady() ? QStringLiteral("primary") : QString();
    if (finish_->property("role").toString() != role) {
        finish_->setProperty("role", role);
        finish_->style()->unpolish(finish_);
        finish_->style()->polish(finish_);
    }
}

} // namespace vantrel
