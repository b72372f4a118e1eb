#pragma once
// The lid from logind's LidClosed property, else from the ACPI button files
// (<acpi lid directory>/*/state, "state:      closed"). Machines without either (Apple-silicon
// Macs under Linux have no /proc/acpi) read as unknown.
#include "platform/LidState.h"

#include <QString>

namespace vantrel {

class LinuxLidState final : public LidState {
public:
    // acpiLidDirectory: /proc/acpi/button/lid (re-rooted in tests); systemBusAddress: "" for the
    // machine's system bus; useLogind false reads the ACPI files only.
    explicit LinuxLidState(QString acpiLidDirectory, QString systemBusAddress = {}, bool useLogind = true);
    std::optional<bool> lidClosed() const override;

    // The lid in one ACPI state file's text; nothing when it says neither open nor closed.
    static std::optional<bool> parseAcpiState(const QByteArray& text);

private:
    std::optional<bool> fromLogind() const;
    std::optional<bool> fromAcpi() const;

    QString acpiLidDirectory_;
    QString systemBusAddress_;
    bool useLogind_;
};

} // namespace vantrel
