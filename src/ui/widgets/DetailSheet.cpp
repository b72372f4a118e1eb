#include "ui/widgets/DetailSheet.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "ui/widgets/Card.h"
#include "ui/widgets/MetricView.h"
#include "ui/widgets/SymbolView.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

DetailSheet::DetailSheet(QWidget* parent)
    : QDialog(parent)
    , symbol_(new SymbolView(QString(), DSToken::blue, 28, this))
    , title_(new TokenLabel(QString(), DSToken::textPri, 20, QFont::DemiBold, this))
    , subtitle_(new TokenLabel(QString(), DSToken::textSec, 13, QFont::Normal, this))
    , metrics_(new QWidget(this))
    , metricsLayout_(new QGridLayout(metrics_))
    , content_(new QVBoxLayout)
    , close_(new QPushButton(this))
{
    setModal(true);
    resize(600, 680);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(24, 22, 24, 18);
    outer->setSpacing(14);

    auto* header = new QHBoxLayout;
    header->setSpacing(12);
    header->addWidget(symbol_, 0, Qt::AlignTop);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(title_);
    titles->addWidget(subtitle_);
    subtitle_->setWordWrap(true);
    header->addLayout(titles, 1);
    outer->addLayout(header);

    metricsLayout_->setContentsMargins(0, 0, 0, 0);
    metricsLayout_->setHorizontalSpacing(10);
    metricsLayout_->setVerticalSpacing(10);
    metrics_->hide();
    outer->addWidget(metrics_);

    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* body = new QWidget;
    auto* bodyLayout = new QVBoxLayout(body);
    bodyLayout->setContentsMargins(0, 0, 6, 0);
    bodyLayout->setSpacing(12);
    bodyLayout->addLayout(content_);
    bodyLayout->addStretch(1);
    content_->setSpacing(12);
    scroll->setWidget(body);
    outer->addWidget(scroll, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    close_->setProperty("role", "primary");
    close_->setDefault(true);
    close_->setMinimumWidth(90);
    buttons->addWidget(close_);
    outer->addLayout(buttons);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    followOwnerWindow();
}

void DetailSheet::followOwnerWindow()
{
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (owner == owner_)
        return;
    if (owner_)
        owner_->removeEventFilter(this);
    owner_ = owner;
    hiddenWithOwner_ = false;
    if (owner_)
        owner_->installEventFilter(this);
}

void DetailSheet::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ParentChange)
        followOwnerWindow();
}

bool DetailSheet::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == owner_) {
        // A sheet is part of its window, not a window of its own: it is never left on screen
        // alone, and an open one is still open when the window comes back.
        if (event->type() == QEvent::Hide && isVisible()) {
            hiddenWithOwner_ = true;
            hide();
        } else if (event->type() == QEvent::Show && hiddenWithOwner_) {
            hiddenWithOwner_ = false;
            // After the window has been raised and activated, so the sheet ends up above it.
            QMetaObject::invokeMethod(
                this,
                [this] {
                if (owner_ && owner_->isVisible()) {
                    show();
                    raise();
                    activateWindow();
                }
                },
                Qt::QueuedConnection);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void DetailSheet::setHeader(const QString& symbol, const QString& title, const QString& subtitle)
{
    symbol_->setSymbol(symbol);
    symbol_->setVisible(!symbol.isEmpty());
    title_->setText(title);
    subtitle_->setText(subtitle);
    subtitle_->setVisible(!subtitle.isEmpty());
    setWindowTitle(title);
}

void DetailSheet::addMetric(const QString& caption, const QString& value, DSToken token)
{
    auto* card = new Card(metrics_);
    auto* metric = new MetricView(caption, card);
    metric->setValue(value, token);
    metric->setValuePixelSize(18);
    card->contentLayout()->addWidget(metric);
    card->layout()->setContentsMargins(12, 10, 12, 10);
    metricCards_.push_back(card);
    ++metricCount_;
    // Four across for four or for seven and more, so the last row is not left with one card.
    const int columns = (metricCount_ == 4 || metricCount_ >= 7) ? 4 : 3;
    while (QLayoutItem* item = metricsLayout_->takeAt(0))
        delete item;
    for (int c = 0; c < 4; ++c)
        metricsLayout_->setColumnStretch(c, c < columns ? 1 : 0);
    for (int i = 0; i < metricCount_; ++i)
        metricsLayout_->addWidget(metricCards_[size_t(i)], i / columns, i % columns);
    metrics_->show();
}

void DetailSheet::addSection(const QString& title, const QString& body)
{
    sections_.push_back({title, body});
    auto* card = new Card;
    card->layout()->setContentsMargins(16, 14, 16, 14);
    auto* heading = new TokenLabel(title, DSToken::textPri, 14, QFont::DemiBold, card);
    heading->setWordWrap(true);
    auto* text = new TokenLabel(body, DSToken::textSec, 13, QFont::Normal, card);
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    card->contentLayout()->setSpacing(6);
    card->contentLayout()->addWidget(heading);
    card->contentLayout()->addWidget(text);
    content_->addWidget(card);
}

void DetailSheet::setCloseText(const QString& text) { close_->setText(text); }

QString DetailSheet::title() const { return title_->text(); }

} // namespace vantrel
