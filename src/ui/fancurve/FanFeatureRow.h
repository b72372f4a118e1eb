#pragma once
// One feature row of the fan page: title, description, what it is connected to and its switch.
// Only the hardware interlock row's switch can be used.
#include <QWidget>

#include "ui/fancurve/FanCardSpec.h"

class QPushButton;

namespace vantrel {

class Badge;
class SwitchControl;
class TokenLabel;

class FanFeatureRow final : public QWidget {
    Q_OBJECT
public:
    explicit FanFeatureRow(int cardId, QWidget* parent = nullptr);

    int cardId() const { return cardId_; }
    void setSpec(const FanCardSpec& spec);
    void setOn(bool on);
    SwitchControl* switchControl() const { return switch_; }
    // An extra button at the row's end (opening a sheet); made on first use.
    QPushButton* actionButton();

Q_SIGNALS:
    void switched(int cardId, bool on);

private:
    int cardId_;
    TokenLabel* title_;
    TokenLabel* description_;
    Badge* connection_;
    SwitchControl* switch_;
    QPushButton* action_ = nullptr;
    // Set while the row shows the page's state, so that is not taken for the user's switch.
    bool showing_ = false;
};

} // namespace vantrel
