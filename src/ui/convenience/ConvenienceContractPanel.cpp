#include "ui/convenience/ConvenienceContractPanel.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "l10n/L10n.h"
#include "ui/style/DS.h"
#include "ui/widgets/Badge.h"
#include "ui/widgets/MetricView.h"
#include "ui/widgets/SymbolPainter.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

namespace {

QPushButton* reservedButton(const QString& systemImage, QWidget* parent)
{
    auto* button = new QPushButton(parent);
    if (SymbolPainter::knows(systemImage)) {
        QPixmap pixmap(32, 32);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        SymbolPainter::paint(p, systemImage, QRectF(2, 2, 28, 28), DS::color(DSToken::textTer));
        button->setIcon(QIcon(pixmap));
    }
    // Reserved: no action is connected and the button stays disabled.
    button->setEnabled(false);
    return button;
}

} // namespace

ConvenienceContractPanel::ConvenienceContractPanel(QWidget* parent)
    : Card(parent)
    , status_(new Badge(this))
    , subtitle_(new TokenLabel(QString(), DSToken::textSec, 12, QFont::Normal, this))
    , state_(new MetricView(QString(), this))
    , lastRead_(new MetricView(QString(), this))
    , stepperLabel_(new TokenLabel(QString(), DSToken::textPri, 13, QFont::Normal, this))
    , stepper_(new QSpinBox(this))
    , apply_(reservedButton(QStringLiteral("checkmark"), this))
    , dryRun_(reservedButton(QStringLiteral("eye"), this))
    , restore_(reservedButton(QStringLiteral("arrow.uturn.backward"), this))
    , restoreBadge_(new Badge(this))
{
    setSymbol(QStringLiteral("wrench.and.screwdriver"));
    setTrailingWidget(status_);
    subtitle_->setWordWrap(true);
    contentLayout()->addWidget(subtitle_);

    state_->setValuePixelSize(15);
    lastRead_->setValuePixelSize(15);
    auto* metrics = new QHBoxLayout;
    metrics->setSpacing(24);
    metrics->addWidget(state_);
    metrics->addWidget(lastRead_);
    metrics->addStretch(1);
    contentLayout()->addLayout(metrics);

    auto* dock = new QHBoxLayout;
    dock->setSpacing(10);
    stepper_->setRange(dockRecentMinimum, dockRecentMaximum);
    stepper_->setSingleStep(1);
    stepper_->setValue(dockRecentCount_);
    stepper_->setObjectName(QStringLiteral("dock-recent-count"));
    dock->addWidget(stepperLabel_);
    dock->addWidget(stepper_);
    dock->addStretch(1);
    contentLayout()->addLayout(dock);
    connect(stepper_, &QSpinBox::valueChanged, this, [this](int value) {
        dockRecentCount_ = value;
        showCount();
    });

    auto* actions = new QHBoxLayout;
    actions->setSpacing(8);
    for (QPushButton* button : {apply_, dryRun_, restore_})
        actions->addWidget(button);
    actions->addStretch(1);
    actions->addWidget(restoreBadge_, 0, Qt::AlignVCenter);
    contentLayout()->addLayout(actions);
    retranslate();
}

QString ConvenienceContractPanel::stepperText() const { return stepperLabel_->text(); }

void ConvenienceContractPanel::showCount()
{
    stepperLabel_->setText(L10n::tr(QStringLiteral("convenience.dock_recent_count")) + QStringLiteral(": ")
                           + QString::asprintf("%lld", static_cast<long long>(dockRecentCount_)));
}

void ConvenienceContractPanel::retranslate()
{
    const QString lang = L10n::currentLanguage();
    setTitle(L10n::tr(QStringLiteral("convenience.contract.title"), lang));
    subtitle_->setText(L10n::tr(QStringLiteral("convenience.contract.subtitle"), lang));
    status_->setBadge(L10n::tr(QStringLiteral("not_ready"), lang), DSToken::grey);
    state_->setCaption(L10n::tr(QStringLiteral("common.read_state"), lang));
    state_->setValue(L10n::tr(QStringLiteral("permission_needed"), lang), DSToken::orange);
    lastRead_->setCaption(L10n::tr(QStringLiteral("common.read_status"), lang));
    lastRead_->setValue(QStringLiteral("-"), DSToken::textTer);
    apply_->setText(L10n::tr(QStringLiteral("apply_btn"), lang));
    dryRun_->setText(L10n::tr(QStringLiteral("common.dry_run"), lang));
    restore_->setText(L10n::tr(QStringLiteral("common.restore"), lang));
    restoreBadge_->setBadge(L10n::tr(QStringLiteral("convenience.safety_restore_needed"), lang), DSToken::orange);
    showCount();
}

} // namespace vantrel
