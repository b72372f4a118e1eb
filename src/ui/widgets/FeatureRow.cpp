#include "ui/widgets/FeatureRow.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "l10n/L10n.h"
#include "ui/style/DS.h"
#include "ui/widgets/BusyIndicator.h"
#include "ui/widgets/FeatureDetailModal.h"
#include "ui/widgets/SwitchControl.h"
#include "ui/widgets/SymbolPainter.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

namespace {

QIcon symbolIcon(const QString& name, DSToken token)
{
    if (name.isEmpty() || !SymbolPainter::knows(name))
        return {};
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    SymbolPainter::paint(p, name, QRectF(2, 2, 28, 28), DS::color(token));
    return QIcon(pixmap);
}

} // namespace

FeatureRow::FeatureRow(FeatureSpec spec, QWidget* parent)
    : QWidget(parent)
    , spec_(std::move(spec))
    , title_(new TokenLabel(QString(), DSToken::textPri, 13, QFont::DemiBold, this))
    , connection_(new TokenLabel(QString(), DSToken::textTer, 10, QFont::Normal, this))
    , description_(new TokenLabel(QString(), DSToken::textSec, 11, QFont::Normal, this))
    , details_(new QPushButton(this))
    , busy_(new BusyIndicator(this))
    , toggle_(new SwitchControl(this))
{
    setObjectName(QStringLiteral("feature-row-%1").arg(spec_.id));
    toggle_->setObjectName(QStringLiteral("feature-%1").arg(spec_.id));
    auto* line = new QHBoxLayout(this);
    line->setContentsMargins(0, 4, 0, 4);
    line->setSpacing(10);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    auto* titleLine = new QHBoxLayout;
    titleLine->setSpacing(8);
    titleLine->addWidget(title_);
    titleLine->addWidget(connection_, 0, Qt::AlignBaseline);
    titleLine->addStretch(1);
    connection_->setElideMode(Qt::ElideRight);
    description_->setWordWrap(true);
    texts->addLayout(titleLine);
    texts->addWidget(description_);
    line->addLayout(texts, 1);

    details_->setCursor(Qt::PointingHandCursor);
    line->addWidget(details_, 0, Qt::AlignVCenter);
    line->addWidget(busy_, 0, Qt::AlignVCenter);
    line->addWidget(toggle_, 0, Qt::AlignVCenter);

    connect(details_, &QPushButton::clicked, this, [this] { openDetail(); });
    connect(toggle_, &SwitchControl::clicked, this, [this](bool checked) {
        // The switch shows the request at once; the screen puts it back if it is refused.
        Q_EMIT toggleRequested(checked);
    });
    setGraphicsEffect(new QGraphicsOpacityEffect(this));
    refreshOpacity();
    retranslate();
}

void FeatureRow::setOn(bool on)
{
    const QSignalBlocker block(toggle_);
    toggle_->setChecked(on);
}

bool FeatureRow::isOn() const { return toggle_->isChecked(); }

void FeatureRow::setRowDisabled(bool disabled)
{
    disabled_ = disabled;
    toggle_->setEnabled(!disabled && !isBusy());
    if (accessory_)
        accessory_->setEnabled(!disabled);
    refreshOpacity();
}

void FeatureRow::setBusy(bool busy)
{
    busy_->setRunning(busy);
    toggle_->setEnabled(!disabled_ && !busy);
}

bool FeatureRow::isBusy() const { return busy_->isRunning(); }

void FeatureRow::setDesktopClass(bool desktopClass)
{
    desktopClass_ = desktopClass;
    refreshOpacity();
}

void FeatureRow::setConnectionLabel(const QString& label)
{
    connection_->setText(label);
    connection_->setVisible(!label.isEmpty());
}

QString FeatureRow::connectionLabel() const { return connection_->text(); }

void FeatureRow::setAccessory(const QString& title, const QString& systemImage, DSToken color)
{
    if (!accessory_) {
        accessory_ = new QPushButton(this);
        accessory_->setCursor(Qt::PointingHandCursor);
        static_cast<QHBoxLayout*>(layout())->insertWidget(1, accessory_, 0, Qt::AlignVCenter);
        connect(accessory_, &QPushButton::clicked, this, &FeatureRow::accessoryClicked);
    }
    accessory_->setText(title);
    accessory_->setIcon(symbolIcon(systemImage, color));
    accessory_->setEnabled(!disabled_);
}

void FeatureRow::refreshOpacity() { static_cast<QGraphicsOpacityEffect*>(graphicsEffect())->setOpacity(rowOpacity()); }

FeatureDetailModal* FeatureRow::openDetail()
{
    auto* modal = new FeatureDetailModal(spec_, window());
    modal->setAttribute(Qt::WA_DeleteOnClose);
    modal->open();
    return modal;
}

void FeatureRow::retranslate()
{
    const QString lang = L10n::currentLanguage();
    title_->setText(L10n::tr(spec_.title, lang));
    description_->setText(L10n::tr(spec_.uiLabel, lang));
    details_->setText(L10n::tr(QStringLiteral("common.details"), lang));
}

} // namespace vantrel
