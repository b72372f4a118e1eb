#pragma once
// One figure on a card: a small caption, the value in a palette colour, and a detail line.
#include <QWidget>

#include "ui/style/DSToken.h"

namespace vantrel {

class TokenLabel;

class MetricView : public QWidget {
    Q_OBJECT
public:
    explicit MetricView(const QString& caption = {}, QWidget* parent = nullptr);

    void setCaption(const QString& caption);
    void setValue(const QString& value, DSToken token = DSToken::textPri);
    void setDetail(const QString& detail);
    void setValuePixelSize(int pixelSize);

    QString caption() const;
    QString value() const;
    QString detail() const;
    DSToken valueToken() const;

private:
    TokenLabel* caption_;
    TokenLabel* value_;
    TokenLabel* detail_;
};

} // namespace vantrel
