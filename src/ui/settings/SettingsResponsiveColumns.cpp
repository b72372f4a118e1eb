#include "ui/settings/SettingsResponsiveColumns.h"

#include <QGridLayout>
#include <QResizeEvent>
#include <QVBoxLayout>

namespace vantrel {

SettingsResponsiveColumns::SettingsResponsiveColumns(QList<QWidget*> left, QList<QWidget*> right, QWidget* parent)
    : QWidget(parent)
    , left_(std::move(left))
    , right_(std::move(right))
    , grid_(new QGridLayout(this))
{
    grid_->setContentsMargins(0, 0, 0, 0);
    grid_->setHorizontalSpacing(spacing);
    grid_->setVerticalSpacing(0);
    for (QWidget* w : left_ + right_)
        w->setParent(this);
    arrange(true);
}

void SettingsResponsiveColumns::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const bool two = event->size().width() >= twoColumnWidth;
    if (two != twoColumns_)
        arrange(two);
}

void SettingsResponsiveColumns::arrange(bool twoColumns)
{
    if (arranged_ && twoColumns == twoColumns_)
        return;
    arranged_ = true;
    twoColumns_ = twoColumns;
    // Each column is a box of its own so a tall card on one side leaves no gap on the other.
    while (QLayoutItem* item = grid_->takeAt(0)) {
        if (QLayout* column = item->layout()) {
            while (QLayoutItem* inner = column->takeAt(0))
                delete inner;
        }
        delete item;
    }
    const auto column = [](const QList<QWidget*>& cards) {
        auto* box = new QVBoxLayout;
        box->setContentsMargins(0, 0, 0, 0);
        box->setSpacing(spacing);
        for (QWidget* card : cards)
            box->addWidget(card);
        box->addStretch(1);
        return box;
    };
    if (twoColumns) {
        grid_->addLayout(column(left_), 0, 0);
        grid_->addLayout(column(right_), 0, 1);
        grid_->setColumnStretch(0, 1);
        grid_->setColumnStretch(1, 1);
    } else {
        // Stacked, the cards alternate between the columns so the short ones (the update
        // card) are not pushed below the long language grid.
        QList<QWidget*> stacked;
        for (qsizetype i = 0; i < std::max(left_.size(), right_.size()); ++i) {
            if (i < left_.size())
                stacked << left_[i];
            if (i < right_.size())
                stacked << right_[i];
        }
        grid_->addLayout(column(stacked), 0, 0);
        grid_->setColumnStretch(0, 1);
        grid_->setColumnStretch(1, 0);
    }
}

} // namespace vantrel
