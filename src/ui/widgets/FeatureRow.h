#pragma once
// One feature of a catalogue as a row: title with the back end's name, what it does, an
// optional extra button, a details button for its explanation sheet, a busy mark while an
// apply runs, and the switch. A click on the switch is only a request (toggleRequested): the
// screen decides and then shows the state with setOn().
#include <QWidget>

#include "tweaks/FeatureSpec.h"
#include "ui/style/DSToken.h"

class QPushButton;

namespace vantrel {

class BusyIndicator;
class FeatureDetailModal;
class SwitchControl;
class TokenLabel;

class FeatureRow final : public QWidget {
    Q_OBJECT
public:
    explicit FeatureRow(FeatureSpec spec, QWidget* parent = nullptr);

    const FeatureSpec& spec() const { return spec_; }
    void setOn(bool on);
    bool isOn() const;
    void setRowDisabled(bool disabled);
    bool isRowDisabled() const { return disabled_; }
    void setBusy(bool busy);
    bool isBusy() const;
    void setDesktopClass(bool desktopClass);
    void setConnectionLabel(const QString& label);
    QString connectionLabel() const;
    void setAccessory(const QString& title, const QString& systemImage, DSToken color);
    double rowOpacity() const { return featureRowOpacity(spec_, disabled_, desktopClass_); }

    SwitchControl* toggle() const { return toggle_; }
    QPushButton* detailsButton() const { return details_; }
    QPushButton* accessoryButton() const { return accessory_; }
    TokenLabel* titleLabel() const { return title_; }

    // Opens the explanation sheet over the window (not blocking) and returns it.
    FeatureDetailModal* openDetail();
    void retranslate();

Q_SIGNALS:
    void toggleRequested(bool on);
    void accessoryClicked();

private:
    void refreshOpacity();

    FeatureSpec spec_;
    bool disabled_ = false;
    bool desktopClass_ = false;
    TokenLabel* title_;
    TokenLabel* connection_;
    TokenLabel* description_;
    QPushButton* accessory_ = nullptr;
    QPushButton* details_;
    BusyIndicator* busy_;
    SwitchControl* toggle_;
};

} // namespace vantrel
