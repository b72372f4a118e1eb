#include "node/support/FakeSysfsTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace vantrel::test {

void FakeSysfsTree::write(const QString& root, const QString& relative, const QByteArray& content)
{
    const QString path = root + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
    // sysfs attributes a driver lets one write are 0644.
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                     | QFileDevice::ReadOther);
}

std::optional<QString> FakeSysfsTree::read(const QString& root, const QString& relative)
{
    QFile f(root + QLatin1Char('/') + relative);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return QString::fromUtf8(f.readAll()).trimmed();
}

FakeSysfsTree::Writer FakeSysfsTree::kernelWriter()
{
    return [](const QString& path, const QByteArray& value) -> QString {
        QFile f(path);
        if (!f.exists())
            return QStringLiteral("No such file or directory");
        if (!(f.permissions() & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther)))
            return QStringLiteral("Permission denied");
        const QFileInfo info(path);
        const QString folder = info.absolutePath() + QLatin1Char('/');
        const auto current = read(folder, info.fileName()).value_or(QString());
        const QString wanted = QString::fromUtf8(value).trimmed();
        QByteArray stored = value.trimmed();
        if (current.contains(QLatin1Char('['))) {
            QStringList choices = current.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            bool found = false;
            for (QString& c : choices) {
                c.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
                if (c == wanted) {
                    c = QLatin1Char('[') + c + QLatin1Char(']');
                    found = true;
                }
            }
            if (!found)
                return QStringLiteral("Invalid argument");
            stored = choices.join(QLatin1Char(' ')).toUtf8();
        }
        bool numeric = false;
        const int number = wanted.toInt(&numeric);
        if (info.fileName() == QStringLiteral("charge_control_start_threshold")) {
            const auto end = read(folder, QStringLiteral("charge_control_end_threshold"));
            if (!numeric || (end && number >= end->toInt()))
                return QStringLiteral("Invalid argument");
        }
        if (info.fileName() == QStringLiteral("charge_control_end_threshold")) {
            const auto start = read(folder, QStringLiteral("charge_control_start_threshold"));
            if (!numeric || (start && number <= start->toInt()))
                return QStringLiteral("Invalid argument");
        }
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return f.errorString();
        f.write(stored + '\n');
        return {};
    };
}

void FakeSysfsTree::makeReadOnly(const QString& root, const QString& relative)
{
    QFile::setPermissions(root + QLatin1Char('/') + relative,
                          QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
}

void FakeSysfsTree::supply(const QString& root, const QString& name, Attributes attributes)
{
    for (const auto& [key, value] : attributes)
        write(root, QStringLiteral("sys/class/power_supply/") + name + QLatin1Char('/') + QLatin1String(key),
              QByteArray(value) + '\n');
}

void FakeSysfsTree::hwmon(const QString& root, int number, Attributes attributes)
{
    for (const auto& [key, value] : attributes)
        write(root, QStringLiteral("sys/class/hwmon/hwmon%1/").arg(number) + QLatin1String(key),
              QByteArray(value) + '\n');
}

void FakeSysfsTree::thinkpadLaptop(const QString& root)
{
    supply(root, QStringLiteral("AC"), {{"type", "Mains"}, {"online", "1"}});
    supply(root, QStringLiteral("BAT0"),
           {{"type", "Battery"},
            {"present", "1"},
            {"status", "Not charging"},
            {"capacity", "79"},
            {"capacity_level", "Normal"},
            {"technology", "Li-poly"},
            {"manufacturer", "SMP"},
            {"model_name", "5B10W13975"},
            {"cycle_count", "312"},
            {"energy_full_design", "57000000"},
            {"energy_full", "45120000"},
            {"energy_now", "35640000"},
            {"power_now", "0"},
            {"voltage_min_design", "11520000"},
            {"voltage_now", "12730000"},
            {"charge_control_start_threshold", "75"},
            {"charge_control_end_threshold", "80"},
            {"charge_behaviour", "[auto] inhibit-charge force-discharge"},
            {"alarm", "0"}});
}

void FakeSysfsTree::thinkpadTwoBatteries(const QString& root)
{
    supply(root, QStringLiteral("AC"), {{"type", "Mains"}, {"online", "1"}});
    supply(root, QStringLiteral("BAT0"),
           {{"type", "Battery"},
            {"present", "1"},
            {"status", "Not charging"},
            {"capacity", "80"},
            {"technology", "Li-poly"},
            {"manufacturer", "SMP"},
            {"model_name", "01AV421"},
            {"cycle_count", "187"},
            {"energy_full_design", "24050000"},
            {"energy_full", "22200000"},
            {"energy_now", "17760000"},
            {"power_now", "0"},
            {"voltage_min_design", "11460000"},
            {"voltage_now", "12490000"},
            {"charge_control_start_threshold", "75"},
            {"charge_control_end_threshold", "80"},
            {"charge_behaviour", "[auto] inhibit-charge force-discharge"}});
    supply(root, QStringLiteral("BAT1"),
           {{"type", "Battery"},
            {"present", "1"},
            {"status", "Charging"},
            {"capacity", "40"},
            {"technology", "Li-ion"},
            {"manufacturer", "LGC"},
            {"model_name", "01AV424"},
            {"cycle_count", "402"},
            {"energy_full_design", "72000000"},
            {"energy_full", "64800000"},
            {"energy_now", "25920000"},
            {"power_now", "30100000"},
            {"voltage_min_design", "10800000"},
            {"voltage_now", "11930000"},
            {"charge_control_start_threshold", "75"},
            {"charge_control_end_threshold", "80"},
            {"charge_behaviour", "[auto] inhibit-charge force-discharge"}});
}

void FakeSysfsTree::dellLaptop(const QString& root)
{
    supply(root, QStringLiteral("AC"), {{"type", "Mains"}, {"online", "0"}});
    supply(root, QStringLiteral("BAT0"),
           {{"type", "Battery"},
            {"present", "1"},
            {"status", "Discharging"},
            {"capacity", "64"},
            {"technology", "Li-ion"},
            {"manufacturer", "BYD"},
            {"model_name", "DELL WV3K803"},
            {"cycle_count", "0"},
            {"charge_full_design", "3500000"},
            {"charge_full", "3216000"},
            {"charge_now", "2058000"},
            {"current_now", "1152000"},
            {"voltage_min_design", "11400000"},
            {"voltage_now", "11982000"},
            {"charge_types", "Trickle Fast [Standard] Adaptive Custom"},
            {"charge_control_start_threshold", "50"},
            {"charge_control_end_threshold", "90"}});
}

void FakeSysfsTree::frameworkLaptop(const QString& root)
{
    supply(root, QStringLiteral("ACAD"), {{"type", "Mains"}, {"online", "1"}});
    for (int port = 1; port <= 4; ++port) {
        const QString name = QStringLiteral("ucsi-source-psy-USBC000:00%1").arg(port);
        if (port == 2)
            supply(root, name,
                   {{"type", "USB"},
                    {"scope", "Unknown"},
                    {"usb_type", "C [PD] PD_PPS"},
                    {"online", "1"},
                    {"voltage_min", "5000000"},
                    {"voltage_max", "20000000"},
                    {"voltage_now", "20000000"},
                    {"current_max", "3250000"},
                    {"current_now", "3000000"}});
        else
            supply(root, name,
                   {{"type", "USB"},
                    {"scope", "Unknown"},
                    {"usb_type", "[C] PD PD_PPS"},
                    {"online", "0"},
                    {"voltage_min", "5000000"},
                    {"voltage_max", "5000000"},
                    {"voltage_now", "5000000"},
                    {"current_max", "0"},
                    {"current_now", "0"}});
    }
    supply(root, QStringLiteral("BAT1"),
           {{"type", "Battery"},
            {"present", "1"},
            {"status", "Charging"},
            {"capacity", "42"},
            {"technology", "Li-ion"},
            {"manufacturer", "NVT"},
            {"model_name", "FRANGWA"},
            {"cycle_count", "87"},
            {"energy_full_design", "61000000"},
            {"energy_full", "58960000"},
            {"energy_now", "24760000"},
            {"power_now", "41180000"},
            {"voltage_min_design", "15480000"},
            {"voltage_now", "16940000"},
            {"charge_control_start_threshold", "0"},
            {"charge_control_end_threshold", "100"},
            {"charge_behaviour", "[auto] inhibit-charge force-discharge"}});
}

void FakeSysfsTree::appleSiliconMac(const QString& root)
{
    supply(root, QStringLiteral("macsmc-ac"), {{"type", "Mains"}, {"online", "0"}});
    supply(root, QStringLiteral("macsmc-battery"),
           {{"type", "Battery"},
            {"present", "1"},
            {"status", "Discharging"},
            {"capacity", "73"},
            {"technology", "Li-ion"},
            {"manufacturer", "SMP"},
            {"model_name", "bq40z651"},
            {"cycle_count", "214"},
            {"charge_full_design", "4382000"},
            {"charge_full", "4127000"},
            // Reported on another scale than charge_full: a percentage from it would be 900 %.
            {"charge_now", "37180000"},
            {"current_now", "-1253000"},
            {"power_now", "15190000"},
            {"voltage_now", "12122000"},
            {"voltage_min_design", "11450000"},
            {"temp", "306"},
            {"charge_control_end_threshold", "100"},
            {"charge_behaviour", "[auto] inhibit-charge force-discharge"}});
}

void FakeSysfsTree::ideapadLaptop(const QString& root)
{
    supply(root, QStringLiteral("ADP0"), {{"type", "Mains"}, {"online", "1"}});
    supply(root, QStringLiteral("BAT0"),
           {{"type", "Battery"},
            {"present", "1"},
            {"status", "Charging"},
            {"capacity", "55"},
            {"cycle_count", "41"},
            {"energy_full_design", "70000000"},
            {"energy_full", "66200000"},
            {"energy_now", "36410000"},
            {"power_now", "23100000"},
            {"voltage_min_design", "15360000"},
            {"voltage_now", "16420000"}});
    write(root, QStringLiteral("sys/bus/platform/drivers/ideapad_acpi/VPC2004:00/conservation_mode"), "0\n");
    write(root, QStringLiteral("sys/bus/platform/drivers/ideapad_acpi/VPC2004:00/fn_lock"), "1\n");
}

void FakeSysfsTree::asusLaptop(const QString& root)
{
    supply(root, QStringLiteral("AC0"), {{"type", "Mains"}, {"online", "1"}});
    supply(root, QStringLiteral("BAT0"),
           {{"type", "Battery"},
            {"present", "1"},
            {"status", "Full"},
            {"capacity", "100"},
            {"charge_full_design", "4800000"},
            {"charge_full", "4650000"},
            {"charge_now", "4650000"},
            {"current_now", "0"},
            {"voltage_min_design", "15400000"},
            {"voltage_now", "17510000"},
            {"charge_control_end_threshold", "100"}});
}

void FakeSysfsTree::desktop(const QString& root)
{
    supply(root, QStringLiteral("hidpp_battery_0"),
           {{"type", "Battery"},
            {"scope", "Device"},
            {"present", "1"},
            {"online", "1"},
            {"status", "Discharging"},
            {"capacity", "35"},
            {"model_name", "MX Master 3"}});
    hwmon(root, 0, {{"name", "nvme"}, {"temp1_input", "38850"}, {"temp1_label", "Composite"}});
}

void FakeSysfsTree::thinkpadFans(const QString& root)
{
    hwmon(root, 3, {{"name", "coretemp"}, {"temp1_input", "52000"}, {"temp1_label", "Package id 0"}});
    hwmon(root, 5,
          {{"name", "thinkpad"},
           {"fan1_input", "2890"},
           {"fan2_input", "2740"},
           {"pwm1", "255"},
           {"pwm1_enable", "2"},
           {"temp1_input", "51000"}});
}

void FakeSysfsTree::readOnlyFans(const QString& root)
{
    hwmon(root, 1, {{"name", "amdgpu"}, {"fan1_input", "1200"}, {"pwm1", "80"}, {"pwm1_enable", "2"}});
    hwmon(root, 2,
          {{"name", "dell_smm"},
           {"fan1_input", "2450"},
           {"fan1_min", "0"},
           {"fan1_max", "4900"},
           {"fan1_label", "Processor Fan"}});
    hwmon(root, 4,
          {{"name", "nct6798"}, {"fan2_input", "812"}, {"fan2_min", "0"}, {"pwm2", "102"}, {"pwm2_enable", "5"}});
}

void FakeSysfsTree::intelMacFans(const QString& root)
{
    hwmon(root, 0,
          {{"name", "applesmc"},
           {"fan1_input", "1998"},
           {"fan1_min", "1200"},
           {"fan1_max", "6200"},
           {"fan1_label", "Exhaust"},
           {"fan1_manual", "0"},
           {"fan1_output", "1200"},
           {"fan1_safe", "0"}});
}

FakeSysfsTree::Writer RecordingKernel::writer()
{
    return [this](const QString& path, const QByteArray& value) {
        const QString file = path.section(QLatin1Char('/'), -1);
        writes << file + QLatin1Char('=') + QString::fromUtf8(value);
        if (file == refuse)
            return QStringLiteral("Invalid argument");
        return FakeSysfsTree::kernelWriter()(path, value);
    };
}

} // namespace vantrel::test
