#pragma once
// The smart-app rule sheet: three rules (two fixed examples, one editable), the pre-emptive
// switch, and the add-app and save-rule actions with their status line.
#include <memory>
#include <vector>

#include "ui/widgets/DetailSheet.h"

class QComboBox;
class QPushButton;

namespace vantrel {

class DaemonClient;
class SmartAppPresetSheetModel;
class StatusLine;
class SwitchControl;

class SmartAppPresetSheet final : public DetailSheet {
    Q_OBJECT
public:
    SmartAppPresetSheet(std::shared_ptr<DaemonClient> daemon, QWidget* parent = nullptr);
    ~SmartAppPresetSheet() override;

    SmartAppPresetSheetModel& model() const { return *model_; }
    // Per rule, top to bottom.
    QComboBox* launchPicker(int rule) const { return launch_[size_t(rule)]; }
    QComboBox* exitPicker(int rule) const { return exit_[size_t(rule)]; }
    SwitchControl* preemptiveSwitch() const { return preemptive_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* addAppButton() const { return addApp_; }
    StatusLine* statusLine() const { return status_; }

    // The title key of a preset choice ("Silent" → "curve_silent"); "Auto" is the Korean literal.
    static QString choiceText(const QString& choice, const QString& lang);

private:
    void refresh();

    std::shared_ptr<DaemonClient> daemon_;
    std::unique_ptr<SmartAppPresetSheetModel> model_;
    std::vector<QComboBox*> launch_;
    std::vector<QComboBox*> exit_;
    SwitchControl* preemptive_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* addApp_ = nullptr;
    StatusLine* status_ = nullptr;
};

} // namespace vantrel
