#include "app/TitleBarBrand.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPainter>

#include "ui/style/DS.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

TitleBarBrand::TitleBarBrand(QWidget* parent)
    : QWidget(parent)
    , label_(new TokenLabel(DSToken::textSec, this))
{
    setObjectName(QStringLiteral("vantrel-titlebar"));
    setFixedHeight(height);
    label_->setObjectName(labelIdentifier);
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(pointSize);
    font.setWeight(QFont::DemiBold);
    label_->setFont(font);
    label_->setAlignment(Qt::AlignCenter);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 0, 12, 0);
    layout->addWidget(label_, 1);
}

void TitleBarBrand::setTitle(const QString& title) { label_->setText(title); }

QString TitleBarBrand::title() const { return label_->text(); }

void TitleBarBrand::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), DS::bg());
    p.setPen(DS::divider());
    p.drawLine(rect().bottomLeft(), rect().bottomRight());
}

} // namespace vantrel
