#include "ui/dashboard/EventListView.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "ui/style/DS.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

namespace {

// The coloured dot at the start of a row.
class Dot final : public QWidget {
public:
    Dot(DSToken token, QWidget* parent)
        : QWidget(parent)
        , token_(token)
    {
        setFixedSize(10, 18);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(DS::color(token_));
        p.drawEllipse(QPointF(5, 9), 4, 4);
    }

private:
    DSToken token_;
};

} // namespace

EventListView::EventListView(QWidget* parent)
    : QWidget(parent)
    , list_(new QVBoxLayout)
    , empty_(new TokenLabel(QString(), DSToken::textTer, 12, QFont::Normal, this))
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    list_->setSpacing(8);
    outer->addLayout(list_);
    empty_->setWordWrap(true);
    outer->addWidget(empty_);
}

void EventListView::setEmptyText(const QString& text) { empty_->setText(text); }

QString EventListView::emptyText() const { return empty_->text(); }

void EventListView::setRows(const std::vector<EventRow>& rows)
{
    // The dashboard refreshes every two seconds, mostly with the same events: rebuilding the
    // rows then would only churn widgets.
    if (rows == rows_ && rowWidgets_.size() == rows_.size())
        return;
    rows_ = rows;
    for (QWidget* w : rowWidgets_)
        delete w;
    rowWidgets_.clear();
    for (const EventRow& row : rows_) {
        auto* w = new QWidget(this);
        auto* h = new QHBoxLayout(w);
        h->setContentsMargins(0, 0, 0, 0);
        h->setSpacing(8);
        h->addWidget(new Dot(row.color, w), 0, Qt::AlignTop);
        auto* leading = new TokenLabel(row.leading, DSToken::textTer, 11, QFont::Medium, w);
        leading->setMinimumWidth(56);
        leading->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        leading->setContentsMargins(0, 2, 0, 0);
        h->addWidget(leading, 0, Qt::AlignTop);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(1);
        auto* title = new TokenLabel(row.title, DSToken::textPri, 13, QFont::Medium, w);
        title->setWordWrap(true);
        texts->addWidget(title);
        if (!row.detail.isEmpty()) {
            auto* detail = new TokenLabel(row.detail, DSToken::textSec, 11, QFont::Normal, w);
            detail->setWordWrap(true);
            texts->addWidget(detail);
        }
        h->addLayout(texts, 1);
        list_->addWidget(w);
        rowWidgets_.push_back(w);
    }
    empty_->setVisible(rows_.empty());
    // Lay the new rows out now rather than at the next turn of the event loop, so nothing
    // (a picture of the page, the next paint) sees them stacked at the origin.
    layout()->activate();
}

} // namespace vantrel
