#pragma once
// Fake sysfs trees under a root folder (what VANTREL_ROOT points at), modelled on dumps of real
// machines: <root>/sys/class/power_supply, <root>/sys/class/hwmon and the ideapad_acpi driver folder.
#include <functional>
#include <initializer_list>
#include <optional>
#include <utility>

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vantrel::test {

class FakeSysfsTree {
public:
    using Attributes = std::initializer_list<std::pair<const char*, const char*>>;

    // ThinkPad: BAT0 (energy-based) with start/end thresholds and charge_behaviour, AC online.
    static void thinkpadLaptop(const QString& root);
    // ThinkPad T480 with its internal BAT0 (24 Wh, 80 %, not charging) and the swappable BAT1
    // (72 Wh, 40 %, charging), both with thresholds and charge_behaviour, AC online.
    static void thinkpadTwoBatteries(const QString& root);
    // Dell: BAT0 (charge-based, discharging) with charge_types and a threshold window, AC offline.
    static void dellLaptop(const QString& root);
    // Framework 13: ACAD plus four USB-C port supplies (one feeding 20 V), BAT1 energy-based, charging.
    static void frameworkLaptop(const QString& root);
    // Apple silicon under Linux: macsmc-battery discharging (negative current_now, charge_now on
    // another scale than charge_full), end threshold only, macsmc-ac offline.
    static void appleSiliconMac(const QString& root);
    // IdeaPad: BAT0 without thresholds, conservation_mode under the ideapad_acpi driver.
    static void ideapadLaptop(const QString& root);
    // ASUS: BAT0 with an end threshold only.
    static void asusLaptop(const QString& root);
    // Desktop: no system battery; a wireless mouse's battery (scope Device) only.
    static void desktop(const QString& root);

    // hwmon: ThinkPad chip with fan1/fan2, pwm1 and pwm1_enable (automatic), plus coretemp.
    static void thinkpadFans(const QString& root);
    // hwmon: read-only fans (dell_smm without pwm files), an nct6798 with pwm files (not on the
    // safe list) and an amdgpu card's own fan with pwm (not a system fan).
    static void readOnlyFans(const QString& root);
    // hwmon: an Intel Mac's applesmc with fanN_manual / fanN_output.
    static void intelMacFans(const QString& root);

    // One supply folder / one hwmon folder with the given attribute files.
    static void supply(const QString& root, const QString& name, Attributes attributes);
    static void hwmon(const QString& root, int number, Attributes attributes);

    // A writer that behaves like the kernel's attribute stores: a missing or read-only file is
    // refused; a choice list ("[auto] inhibit-charge") takes only a listed choice and brackets it;
    // a start threshold must stay below the end threshold beside it and the end above the start.
    using Writer = std::function<QString(const QString& path, const QByteArray& value)>;
    static Writer kernelWriter();

    // Writes (creating folders) or reads one file relative to root.
    static void write(const QString& root, const QString& relative, const QByteArray& content);
    static std::optional<QString> read(const QString& root, const QString& relative);
    // Marks a file read-only (mode 0444), as sysfs shows attributes a driver does not let one write.
    static void makeReadOnly(const QString& root, const QString& relative);
};

// The kernel-like writer with each write recorded as "<file>=<value>"; writes to the file named
// `refuse` fail as a driver refuses a value.
struct RecordingKernel {
    QStringList writes;
    QString refuse;
    FakeSysfsTree::Writer writer();
};

} // namespace vantrel::test
