#pragma once
// A small line chart of the most recent samples (newest at the right edge) with a soft
// area fill, three labelled grid lines and the latest point marked.
#include <vector>

#include <QString>
#include <QWidget>

#include "ui/style/DSToken.h"

namespace vantrel {

class HistoryChart : public QWidget {
    Q_OBJECT
public:
    explicit HistoryChart(QWidget* parent = nullptr);

    void setSamples(std::vector<double> samples);
    const std::vector<double>& samples() const { return samples_; }
    void setToken(DSToken token);
    // How many samples span the full width; fewer samples fill from the right.
    void setCapacity(int capacity);
    // The smallest vertical span shown, so a flat line does not magnify noise.
    void setMinimumSpan(double span);
    void setUnit(const QString& unit)
    {
        unit_ = unit;
        update();
    }
    void setDecimals(int decimals)
    {
        decimals_ = decimals;
        update();
    }
    void setEmptyText(const QString& text)
    {
        emptyText_ = text;
        update();
    }

    // The value range drawn for the current samples: {low, high}.
    std::pair<double, double> displayRange() const;

    QSize sizeHint() const override { return {280, 110}; }
    QSize minimumSizeHint() const override { return {120, 70}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<double> samples_;
    DSToken token_ = DSToken::blue;
    int capacity_ = 24;
    double minimumSpan_ = 5;
    int decimals_ = 0;
    QString unit_;
    QString emptyText_;
};

} // namespace vantrel
