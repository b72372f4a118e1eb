#pragma once
// Cards in two columns side by side when the page is wide enough, else stacked in one
// (taking the columns' cards in turn), with 12 points between cards either way.
#include <QList>
#include <QWidget>

class QGridLayout;

namespace vantrel {

class SettingsResponsiveColumns final : public QWidget {
    Q_OBJECT
public:
    static constexpr int spacing = 12;
    // Narrower than this, the cards stack.
    static constexpr int twoColumnWidth = 720;

    explicit SettingsResponsiveColumns(QList<QWidget*> left, QList<QWidget*> right, QWidget* parent = nullptr);
    bool isTwoColumns() const { return twoColumns_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void arrange(bool twoColumns);

    QList<QWidget*> left_;
    QList<QWidget*> right_;
    QGridLayout* grid_;
    bool twoColumns_ = false;
    bool arranged_ = false;
};

} // namespace vantrel
