#include "app/DashboardWindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "app/TitleBarBrand.h"

namespace vantrel {

DashboardWindow::DashboardWindow(QWidget* rootView)
    : titleBar_(new TitleBarBrand(this))
{
    setObjectName(identifier);
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(titleBar_);
    layout->addWidget(rootView ? rootView : makePlaceholder());
    resize(contentWidth, contentHeight);
}

QWidget* DashboardWindow::makePlaceholder()
{
    auto* label = new QLabel(QStringLiteral("The Vantrel dashboard is being built."));
    label->setObjectName(QStringLiteral("vantrel-dashboard-placeholder"));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

void DashboardWindow::configureTitleBar(const QString& title)
{
    setWindowTitle(title);
    titleBar_->setTitle(title);
}

void DashboardWindow::closeEvent(QCloseEvent* event)
{
    Q_EMIT aboutToClose();
    event->accept();
}

void DashboardWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Q_EMIT presentationChanged();
}

} // namespace vantrel
