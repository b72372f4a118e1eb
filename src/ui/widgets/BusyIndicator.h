#pragma once
// A small spinning arc that says "working on it"; turns only while shown and running.
#include <QWidget>

class QTimer;

namespace vantrel {

class BusyIndicator final : public QWidget {
    Q_OBJECT
public:
    explicit BusyIndicator(QWidget* parent = nullptr);
    void setRunning(bool running);
    bool isRunning() const { return running_; }
    QSize sizeHint() const override { return {16, 16}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer* timer_;
    int angle_ = 0;
    bool running_ = false;
};

} // namespace vantrel
