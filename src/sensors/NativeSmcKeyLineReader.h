#pragma once
// Key lines through the native SMC reader's user-client connection, which stays open between
// reads (on the simulator backend it answers from the simulated Mac's key store).
#include "sensors/SmcKeyLineReader.h"

namespace vantrel {

class NativeSMC;

class NativeSmcKeyLineReader final : public SmcKeyLineReader {
public:
    explicit NativeSmcKeyLineReader(NativeSMC& smc);
    std::optional<std::string> readLines(const QStringList& keys) override;

private:
    NativeSMC& smc_;
};

} // namespace vantrel
