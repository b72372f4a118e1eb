#pragma once
// One row of the sidebar: symbol and title, with a rounded highlight when selected.
#include <QAbstractButton>

namespace vantrel {

class SidebarRow : public QAbstractButton {
    Q_OBJECT
public:
    SidebarRow(const QString& pageId, const QString& symbol, const QString& title, QWidget* parent = nullptr);

    QString pageId() const { return pageId_; }
    QString symbol() const { return symbol_; }
    void setSelected(bool selected);
    bool isSelected() const { return selected_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString pageId_;
    QString symbol_;
    bool selected_ = false;
    bool hovered_ = false;
};

} // namespace vantrel
