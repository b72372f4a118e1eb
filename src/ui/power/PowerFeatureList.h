#pragma once
// The power page's feature switches (ids 15…24), one row each with its title, what it does
// and the switch; the safety-drain and cloud-alert rows carry a button for their dialog.
// The status line of the last action sits under the rows.
#include <map>

#include "ui/widgets/Card.h"

class QPushButton;

namespace vantrel {

class PowerPageModel;
class StatusLine;
class SwitchControl;
class TokenLabel;

class PowerFeatureList final : public Card {
    Q_OBJECT
public:
    explicit PowerFeatureList(PowerPageModel& model, QWidget* parent = nullptr);

    SwitchControl* switchFor(int id) const;
    StatusLine* statusLine() const { return status_; }
    QPushButton* drainTargetButton() const { return drainTarget_; }
    QPushButton* alertSettingsButton() const { return alertSettings_; }
    void setControlsEnabled(bool enabled);
    void retranslate();

Q_SIGNALS:
    void drainTargetRequested();
    void alertSettingsRequested();

private:
    struct Row {
        TokenLabel* title = nullptr;
        TokenLabel* detail = nullptr;
        SwitchControl* toggle = nullptr;
    };

    void showStatus();
    void showDrainTarget();

    PowerPageModel& model_;
    std::map<int, Row> rows_;
    QPushButton* drainTarget_ = nullptr;
    QPushButton* alertSettings_ = nullptr;
    StatusLine* status_ = nullptr;
};

} // namespace vantrel
