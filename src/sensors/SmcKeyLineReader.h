#pragma once
// Reads SMC keys inside the application and renders each as the line `smc -k KEY -r` prints,
// so the tool's parser and caches take them unchanged.
#include <optional>
#include <string>

#include <QStringList>

namespace vantrel {

class SmcKeyLineReader {
public:
    virtual ~SmcKeyLineReader() = default;
    // The tool's standard output for one run over keys in order (a missing key prints nothing);
    // nothing when the source cannot answer at all and the tool has to be asked instead.
    virtual std::optional<std::string> readLines(const QStringList& keys) = 0;
};

} // namespace vantrel
