#include "ui/onboarding/OnboardingLanguagePage.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "l10n/L10n.h"
#include "l10n/L10nNotifier.h"
#include "ui/onboarding/OnboardingBrandMark.h"
#include "ui/onboarding/OnboardingGateModel.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

OnboardingLanguagePage::OnboardingLanguagePage(OnboardingGateModel& model, QWidget* parent)
    : QWidget(parent)
    , model_(model)
    , chosen_(L10n::currentLanguage())
    , step_(new TokenLabel(QString(), DSToken::textTer, 12, QFont::DemiBold, this))
    , title_(new TokenLabel(QString(), DSToken::textPri, 26, QFont::DemiBold, this))
    , subtitle_(new TokenLabel(QString(), DSToken::textSec, 14, QFont::Normal, this))
    , group_(new QButtonGroup(this))
    , continue_(new QPushButton(this))
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(40, 32, 40, 32);
    outer->addStretch(1);
    auto* body = new QWidget(this);
    body->setMaximumWidth(560);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    column->addWidget(new OnboardingBrandMark(this), 0, Qt::AlignHCenter);
    column->addSpacing(6);
    column->addWidget(step_, 0, Qt::AlignHCenter);
    title_->setAlignment(Qt::AlignHCenter);
    subtitle_->setAlignment(Qt::AlignHCenter);
    subtitle_->setWordWrap(true);
    column->addWidget(title_);
    column->addWidget(subtitle_);
    column->addSpacing(14);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(10);
    const QStringList languages = L10n::supportedLanguages();
    for (qsizetype i = 0; i < languages.size(); ++i) {
        const QString lang = languages[i];
        auto* button = new QPushButton(L10n::languageName(lang), this);
        button->setCheckable(true);
        button->setChecked(lang == chosen_);
        button->setProperty("lang", lang);
        button->setProperty("role", lang == chosen_ ? QStringLiteral("primary") : QString());
        button->setMinimumSize(170, 40);
        button->setCursor(Qt::PointingHandCursor);
        group_->addButton(button);
        grid->addWidget(button, static_cast<int>(i / 2), static_cast<int>(i % 2));
        connect(button, &QPushButton::clicked, this, [this, lang] { choose(lang); });
    }
    column->addLayout(grid);
    column->addSpacing(18);
    continue_->setProperty("role", QStringLiteral("primary"));
    continue_->setMinimumSize(200, 40);
    continue_->setCursor(Qt::PointingHandCursor);
    column->addWidget(continue_, 0, Qt::AlignHCenter);
    connect(continue_, &QPushButton::clicked, this, [this] { model_.completeLanguage(chosen_); });

    outer->addWidget(body, 0, Qt::AlignHCenter);
    outer->addStretch(1);

    connect(&L10n::notifier(), &L10nNotifier::currentLanguageChanged, this, [this] { retranslate(); });
    retranslate();
}

void OnboardingLanguagePage::choose(const QString& lang)
{
    chosen_ = lang;
    for (QAbstractButton* button : group_->buttons()) {
        const bool on = button->property("lang").toString() == lang;
        button->setChecked(on);
        button->setProperty("role", on ? QStringLiteral("primary") : QString());
        // The role selects the style sheet rule; re-polish so the change shows.
        button->style()->unpolish(button);
        button->style()->polish(button);
    }
    model_.chooseLanguage(lang);
    retranslate();
}

void OnboardingLanguagePage::retranslate()
{
    const QString lang = chosen_;
    step_->setText(QStringLiteral("1 / 2"));
    title_->setText(L10n::tr("onboarding.language.title", lang));
    subtitle_->setText(L10n::tr("onboarding.language.subtitle", lang));
    continue_->setText(L10n::tr("onboarding.language.continue", lang));
}

} // namespace vantrel
