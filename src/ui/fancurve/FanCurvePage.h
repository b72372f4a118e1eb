#pragma once
// The fan page: mode cards, preset cards, the curve card with its editor and custom presets,
// the feature rows, and the smart-app and calibration sheets. Re-derives its selection from
// the central state each time it appears.
#include <map>
#include <memory>

#include <QPointer>
#include <QWidget>

#include "ui/shell/UiContext.h"

namespace vantrel {

class DetailSheet;
class FanChoiceCard;
class FanCurveOverview;
class FanCurvePageState;
class FanFeatureRow;
class SmartAppPresetSheet;
class CalibrationSheet;
class StatusLine;
class TokenLabel;
class Card;

class FanCurvePage final : public QWidget {
    Q_OBJECT
public:
    FanCurvePage(const UiContext& context, QWidget* parent = nullptr);
    ~FanCurvePage() override;

    FanCurvePageState& state() const { return *state_; }
    FanCurveOverview* overview() const { return overview_; }
    FanChoiceCard* card(int id) const;
    FanFeatureRow* featureRow(int id) const;
    StatusLine* statusLine() const { return status_; }

    // Sheets over the window (not blocking); each returns the sheet it opened.
    SmartAppPresetSheet* openSmartAppSheet();
    CalibrationSheet* openCalibrationSheet();
    DetailSheet* openCardDetail(int id);
    bool showSmartAppSheet() const;
    bool showCalibrationSheet() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    void retranslate();
    void refreshSelection();
    void refreshToggles();
    void refreshStatus();

    UiContext context_;
    std::unique_ptr<FanCurvePageState> state_;
    TokenLabel* title_ = nullptr;
    TokenLabel* subtitle_ = nullptr;
    StatusLine* status_ = nullptr;
    TokenLabel* modeHeading_ = nullptr;
    TokenLabel* presetHeading_ = nullptr;
    TokenLabel* unavailable_ = nullptr;
    std::map<int, FanChoiceCard*> cards_;
    FanCurveOverview* overview_ = nullptr;
    Card* featuresCard_ = nullptr;
    std::map<int, FanFeatureRow*> rows_;
    QPointer<SmartAppPresetSheet> smartAppSheet_;
    QPointer<CalibrationSheet> calibrationSheet_;
};

} // namespace vantrel
