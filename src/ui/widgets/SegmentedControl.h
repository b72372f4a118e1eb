#pragma once
// A row of mutually exclusive choices drawn as one rounded control (theme, fan mode …).
#include <QStringList>
#include <QWidget>

namespace vantrel {

class SegmentedControl : public QWidget {
    Q_OBJECT
public:
    explicit SegmentedControl(QWidget* parent = nullptr);

    void setSegments(const QStringList& labels);
    // Relabels in place (a language change) without touching the selection.
    void setLabels(const QStringList& labels);
    QStringList segments() const { return labels_; }
    int currentIndex() const { return current_; }
    void setCurrentIndex(int index);
    // The segment under a point, or -1.
    int segmentAt(const QPoint& pos) const;
    QRect segmentRect(int index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

Q_SIGNALS:
    void currentChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QStringList labels_;
    int current_ = -1;
};

} // namespace vantrel
