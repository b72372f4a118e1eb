#include "ui/power/OnlyPowerUsageBanner.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include "l10n/L10n.h"
#include "ui/style/DS.h"
#include "ui/widgets/SymbolView.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

OnlyPowerUsageBanner::OnlyPowerUsageBanner(QWidget* parent)
    : QWidget(parent)
    , title_(new TokenLabel(QString(), DSToken::textPri, 14, QFont::DemiBold, this))
    , subtitle_(new TokenLabel(QString(), DSToken::textSec, 12, QFont::Normal, this))
    , open_(new QPushButton(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->setSpacing(12);
    layout->addWidget(new SymbolView(QStringLiteral("bolt.fill"), DSToken::green, 20, this), 0, Qt::AlignVCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    subtitle_->setWordWrap(true);
    texts->addWidget(title_);
    texts->addWidget(subtitle_);
    layout->addLayout(texts, 1);
    open_->setCursor(Qt::PointingHandCursor);
    layout->addWidget(open_, 0, Qt::AlignVCenter);
    connect(open_, &QPushButton::clicked, this, &OnlyPowerUsageBanner::openRequested);
    retranslate();
}

void OnlyPowerUsageBanner::retranslate()
{
    const QString lang = L10n::currentLanguage();
    title_->setText(L10n::tr("power.energy.banner.title", lang));
    subtitle_->setText(L10n::tr("power.energy.banner.subtitle", lang));
    open_->setText(L10n::tr("power.energy.open", lang));
}

void OnlyPowerUsageBanner::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor tint = DS::color(DSToken::green);
    tint.setAlphaF(DS::isDark() ? 0.16 : 0.10);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);
    p.fillPath(path, tint);
}

} // namespace vantrel
