#pragma once
// The calibration sheet: what calibration will do, three metric panels over a drawn grid, and
// its start and apply buttons, both disabled. Nothing is measured or sent from here.
#include "ui/widgets/DetailSheet.h"

class QPushButton;

namespace vantrel {

class CalibrationSheet final : public DetailSheet {
    Q_OBJECT
public:
    explicit CalibrationSheet(QWidget* parent = nullptr);

    QPushButton* startButton() const { return start_; }
    QPushButton* applyButton() const { return apply_; }

private:
    QPushButton* start_;
    QPushButton* apply_;
};

} // namespace vantrel
