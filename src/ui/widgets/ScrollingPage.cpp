#include "ui/widgets/ScrollingPage.h"

#include <QFrame>
#include <QMargins>
#include <QScrollArea>
#include <QVBoxLayout>

namespace vantrel {

ScrollingPage::ScrollingPage(QWidget* page, Qt::ScrollBarPolicy horizontal)
{
    pageLayout_ = new QVBoxLayout(page);
    pageLayout_->setContentsMargins(0, 0, 0, 0);
    area_ = new QScrollArea(page);
    area_->setWidgetResizable(true);
    area_->setFrameShape(QFrame::NoFrame);
    area_->setHorizontalScrollBarPolicy(horizontal);
    pageLayout_->addWidget(area_);
    content_ = new QWidget;
    area_->setWidget(content_);
}

QVBoxLayout* ScrollingPage::column(const QMargins& margins, int spacing) const
{
    auto* layout = new QVBoxLayout(content_);
    layout->setContentsMargins(margins);
    layout->setSpacing(spacing);
    return layout;
}

} // namespace vantrel
