#pragma once
// The window's line for a settings file that cannot be written: shown while the writes fail,
// with the reason in the user's language, and gone once a write works again. Dismissing it
// hides it until writing fails anew or for another reason.
#include <QWidget>

namespace vantrel {

class AlertBanner;
class SettingsWriteState;

class SettingsWriteNotice final : public QWidget {
    Q_OBJECT
public:
    explicit SettingsWriteNotice(const SettingsWriteState& state, QWidget* parent = nullptr);

    QString title() const;
    QString message() const;

private:
    void refresh();

    const SettingsWriteState& state_;
    AlertBanner* banner_;
};

} // namespace vantrel
