#pragma once
// The curve card of the fan page: mode and preset, live readings, the chart, the observed
// behaviour in the operating-system mode, and the custom preset controls.
#include "ui/widgets/Card.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace vantrel {

class Badge;
class FanCurveChart;
class FanCurvePageState;
class TokenLabel;

class FanCurveOverview final : public Card {
    Q_OBJECT
public:
    explicit FanCurveOverview(FanCurvePageState& state, QWidget* parent = nullptr);

    FanCurveChart* chart() const { return chart_; }
    QComboBox* presetMenu() const { return presetMenu_; }
    QLineEdit* nameField() const { return nameField_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* updateButton() const { return update_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* applyButton() const { return apply_; }
    TokenLabel* observedSummary() const { return observed_; }

    void retranslate();

private:
    void refreshEditor();
    void refreshReadings();

    FanCurvePageState& state_;
    TokenLabel* modeTitle_;
    Badge* presetBadge_;
    TokenLabel* readings_;
    FanCurveChart* chart_;
    TokenLabel* hint_;
    TokenLabel* observed_;
    QComboBox* presetMenu_;
    QLineEdit* nameField_;
    QPushButton* save_;
    QPushButton* update_;
    QPushButton* delete_;
    QPushButton* apply_;
};

} // namespace vantrel
