#pragma once
// Key lines from this machine's hwmon, thermal-zone and power-supply folders with the mapping
// the smc tool uses. The folder listing is kept between reads; only the value files are read.
#include <memory>

#include <QString>

#include "sensors/SmcKeyLineReader.h"

namespace vantrel::smc {
class LinuxSensorTree;
}

namespace vantrel {

class LinuxSmcKeyLineReader final : public SmcKeyLineReader {
public:
    // classFolder: the sysfs class folder ("<root>/sys/class"). keyStore: the simulated Mac's key
    // file, which the tool prefers whenever it exists; this reader then defers to the tool.
    LinuxSmcKeyLineReader(QString classFolder, QString keyStore);
    ~LinuxSmcKeyLineReader() override;
    std::optional<std::string> readLines(const QStringList& keys) override;

private:
    std::string classFolder_;
    QString keyStore_;
    std::unique_ptr<smc::LinuxSensorTree> tree_;
};

} // namespace vantrel
