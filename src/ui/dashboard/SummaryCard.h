#pragma once
// A dashboard card for one subject: the main figure, a detail line, an optional gauge and a
// caption. Clickable when it opens a sheet or another page.
#include <optional>

#include "ui/style/DSToken.h"
#include "ui/widgets/Card.h"

namespace vantrel {

class GaugeBar;
class MetricView;
class Badge;
class TokenLabel;

class SummaryCard final : public Card {
    Q_OBJECT
public:
    explicit SummaryCard(const QString& symbol, bool withGauge, QWidget* parent = nullptr);

    void setValue(const QString& value, DSToken token);
    void setDetail(const QString& detail);
    void setCaption(const QString& caption, DSToken token = DSToken::textTer);
    void setGauge(double fraction, DSToken token, std::optional<double> marker = std::nullopt);
    // A small coloured tag at the right of the header (memory level, charging state).
    void setBadge(const QString& text, DSToken token);

    MetricView* metric() const { return metric_; }
    GaugeBar* gauge() const { return gauge_; }
    QString caption() const;
    DSToken captionToken() const;

private:
    MetricView* metric_;
    GaugeBar* gauge_ = nullptr;
    TokenLabel* caption_;
    Badge* badge_;
};

} // namespace vantrel
