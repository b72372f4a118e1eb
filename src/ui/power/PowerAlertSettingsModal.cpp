#include "ui/power/PowerAlertSettingsModal.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "l10n/L10n.h"
#include "ui/widgets/Card.h"
#include "ui/widgets/SegmentedControl.h"
#include "ui/widgets/SwitchControl.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

namespace {

bool isSecure(const QString& url) { return url.startsWith(QStringLiteral("https://")); }

TokenLabel* fieldLabel(const QString& text, QWidget* parent)
{
    return new TokenLabel(text, DSToken::textSec, 12, QFont::DemiBold, parent);
}

} // namespace

const std::vector<int>& PowerAlertSettingsModal::intervalChoices()
{
    static const std::vector<int> choices{60, 300, 900, 1800};
    return choices;
}

PowerAlertSettingsModal::PowerAlertSettingsModal(PowerAlertSettings initial,
                                                 std::function<void(const PowerAlertSettings&)> onSave, QWidget* parent)
    : DetailSheet(parent)
    , onSave_(std::move(onSave))
{
    const QString lang = L10n::currentLanguage();
    setHeader(QStringLiteral("gearshape"), L10n::tr("power.alert_settings.title", lang),
              L10n::tr("power.alert_settings.subtitle", lang));
    resize(520, 470);

    auto* card = new Card;
    auto* form = new QVBoxLayout;
    form->setSpacing(6);
    url_ = new QLineEdit(initial.webhookURL, card);
    url_->setObjectName(QStringLiteral("webhookURL"));
    user_ = new QLineEdit(initial.webhookUserID, card);
    user_->setObjectName(QStringLiteral("webhookUserID"));
    hint_ = new TokenLabel(QString(), DSToken::textSec, 11, QFont::Normal, card);
    hint_->setWordWrap(true);
    form->addWidget(fieldLabel(L10n::tr("power.alert_settings.webhook_url", lang), card));
    form->addWidget(url_);
    form->addWidget(hint_);
    form->addSpacing(6);
    form->addWidget(fieldLabel(L10n::tr("power.alert_settings.user_id", lang), card));
    form->addWidget(user_);
    form->addSpacing(6);
    form->addWidget(fieldLabel(L10n::tr("power.alert_settings.interval", lang), card));
    interval_ = new SegmentedControl(card);
    interval_->setSegments({L10n::tr("common.seconds_60", lang), L10n::tr("common.minutes_5", lang),
                            L10n::tr("common.minutes_15", lang), L10n::tr("common.minutes_30", lang)});
    const auto& choices = intervalChoices();
    const auto found = std::find(choices.begin(), choices.end(), initial.heartbeatInterval);
    // An interval from elsewhere that is not offered shows the nearest longer choice.
    const auto nearest = std::lower_bound(choices.begin(), choices.end(), initial.heartbeatInterval);
    interval_->setCurrentIndex(static_cast<int>(
        found != choices.end() ? found - choices.begin()
                               : (nearest != choices.end() ? nearest - choices.begin() : choices.size() - 1)));
    form->addWidget(interval_, 0, Qt::AlignLeft);
    form->addSpacing(6);
    auto* enabledRow = new QHBoxLayout;
    enabledRow->addWidget(
        new TokenLabel(L10n::tr("power.alert_settings.enabled", lang), DSToken::textPri, 13, QFont::Normal, card), 1);
    enabled_ = new SwitchControl(card);
    enabled_->setChecked(initial.isEnabled);
    enabledRow->addWidget(enabled_);
    form->addLayout(enabledRow);
    auto* actions = new QHBoxLayout;
    actions->addStretch(1);
    save_ = new QPushButton(L10n::tr("power.alert_settings.save", lang), card);
    save_->setProperty("role", "primary");
    save_->setMinimumWidth(90);
    actions->addWidget(save_);
    form->addSpacing(4);
    form->addLayout(actions);
    card->contentLayout()->addLayout(form);
    contentLayout()->addWidget(card);
    setCloseText(L10n::tr("common.cancel", lang));

    connect(url_, &QLineEdit::textChanged, this, &PowerAlertSettingsModal::updateHint);
    connect(save_, &QPushButton::clicked, this, &PowerAlertSettingsModal::save);
    updateHint();
}

PowerAlertSettings PowerAlertSettingsModal::settings() const
{
    PowerAlertSettings s;
    s.webhookURL = url_->text().trimmed();
    s.webhookUserID = user_->text().trimmed();
    const auto& choices = intervalChoices();
    const int index = std::clamp(interval_->currentIndex(), 0, static_cast<int>(choices.size()) - 1);
    s.heartbeatInterval = choices[index];
    s.isEnabled = enabled_->isChecked();
    return s;
}

QString PowerAlertSettingsModal::hintText() const { return hint_->text(); }

void PowerAlertSettingsModal::updateHint()
{
    const bool secure = isSecure(url_->text().trimmed());
    hint_->setText(secure ? L10n::tr("power.alert_settings.https_valid")
                          : L10n::tr("power.alert_settings.https_needed"));
    hint_->setToken(secure ? DSToken::green : DSToken::orange);
}

void PowerAlertSettingsModal::save()
{
    // An insecure address stays open for correcting; the page's save reports the reason too.
    const PowerAlertSettings s = settings();
    if (onSave_)
        onSave_(s);
    if (isSecure(s.webhookURL))
        accept();
}

} // namespace vantrel
