#include "sensors/LinuxSmcKeyLineReader.h"

#include <QFileInfo>

#include "smc/LinuxSensorTree.h"
#include "smc/LinuxSmcKeys.h"

namespace vantrel {

LinuxSmcKeyLineReader::LinuxSmcKeyLineReader(QString classFolder, QString keyStore)
    : classFolder_(classFolder.toStdString())
    , keyStore_(std::move(keyStore))
{ }

LinuxSmcKeyLineReader::~LinuxSmcKeyLineReader() = default;

std::optional<std::string> LinuxSmcKeyLineReader::readLines(const QStringList& keys)
{
    if (!keyStore_.isEmpty() && QFileInfo::exists(keyStore_))
        return std::nullopt;
    if (!tree_)
        tree_ = std::make_unique<smc::LinuxSensorTree>(classFolder_);
    smc::LinuxSmcKeys sensors(*tree_);
    std::string out;
    int answered = 0;
    for (const QString& key : keys) {
        const auto entry = sensors.read(key.toStdString());
        if (!entry)
            continue;
        out += smc::formatReadLine(*entry);
        out += '\n';
        ++answered;
    }
    if (answered == 0) {
        // A sensor folder may have gone or not be there yet: list the folders again next time.
        tree_.reset();
        return std::nullopt;
    }
    return out;
}

} // namespace vantrel
