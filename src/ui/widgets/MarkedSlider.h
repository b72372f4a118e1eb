#pragma once
// A horizontal slider with tick marks under the track; emphasised marks are taller and may
// carry a label (e.g. the recommended charge limit). Values snap to the step.
#include <vector>

#include <QString>
#include <QWidget>

namespace vantrel {

class MarkedSlider : public QWidget {
    Q_OBJECT
public:
    struct Mark {
        int value = 0;
        bool emphasised = false;
        QString label;
    };

    explicit MarkedSlider(QWidget* parent = nullptr);

    void setRange(int minimum, int maximum);
    void setStep(int step);
    void setMarks(std::vector<Mark> marks);
    const std::vector<Mark>& marks() const { return marks_; }
    int minimum() const { return min_; }
    int maximum() const { return max_; }
    int value() const { return value_; }
    // Clamps and snaps; emits valueChanged when the stored value changes.
    void setValue(int value);
    // The value a point on the widget stands for (clamped and snapped).
    int valueAt(double x) const;
    // The horizontal centre of a value on the track.
    double positionOf(int value) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void valueChanged(int value);
    // The user let go of the knob (or finished a keyboard step): time to apply.
    void valueCommitted(int value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool hasLabels() const;
    int snapped(int value) const;

    int min_ = 0;
    int max_ = 100;
    int step_ = 1;
    int value_ = 0;
    bool dragging_ = false;
    std::vector<Mark> marks_;
};

} // namespace vantrel
