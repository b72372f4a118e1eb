#pragma once
// An on/off switch drawn like the system's toggle; checkable, keyboard and click operable.
#include <QAbstractButton>

class QVariantAnimation;

namespace vantrel {

class SwitchControl : public QAbstractButton {
    Q_OBJECT
public:
    explicit SwitchControl(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {40, 24}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

private:
    void animateTo(bool on);

    double knob_ = 0; // 0 = off position, 1 = on position
    QVariantAnimation* animation_;
};

} // namespace vantrel
