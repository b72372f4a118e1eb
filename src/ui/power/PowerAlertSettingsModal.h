#pragma once
// The cloud alert dialog: webhook address, user or device id, interval and the enabled
// switch, with a hint whether the address is secure. Save hands the values to the page.
#include <functional>

#include "ui/widgets/DetailSheet.h"

class QLineEdit;
class QPushButton;

namespace vantrel {

class SegmentedControl;
class SwitchControl;
class TokenLabel;

struct PowerAlertSettings {
    QString webhookURL;
    QString webhookUserID;
    int heartbeatInterval = 300;
    bool isEnabled = false;
};

class PowerAlertSettingsModal final : public DetailSheet {
    Q_OBJECT
public:
    // The interval choices in seconds: 60 s, 5, 15 and 30 min.
    static const std::vector<int>& intervalChoices();

    PowerAlertSettingsModal(PowerAlertSettings initial, std::function<void(const PowerAlertSettings&)> onSave,
                            QWidget* parent = nullptr);

    PowerAlertSettings settings() const;
    QLineEdit* urlField() const { return url_; }
    QLineEdit* userField() const { return user_; }
    SegmentedControl* intervalControl() const { return interval_; }
    SwitchControl* enabledSwitch() const { return enabled_; }
    QPushButton* saveButton() const { return save_; }
    QString hintText() const;
    void save();

private:
    void updateHint();

    std::function<void(const PowerAlertSettings&)> onSave_;
    QLineEdit* url_;
    QLineEdit* user_;
    SegmentedControl* interval_;
    SwitchControl* enabled_;
    TokenLabel* hint_;
    QPushButton* save_;
};

} // namespace vantrel
