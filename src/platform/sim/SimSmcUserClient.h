#pragma once
// The SMC user client of the simulated Mac: answers key-information and key-value calls
// from the simulator's key file with the real SMC data types and byte orders, so the native
// reader's block encoding and value decoding run exactly as against the kernel.
#include <mutex>
#include <optional>

#include <sys/types.h>

#include <QString>

#include "platform/SmcUserClient.h"
#include "smc/SmcKeyFile.h"

namespace vantrel {

class SimSmcUserClient final : public SmcUserClient {
public:
    // stateDirectory: the simulator's state directory holding "smc-keys.txt".
    explicit SimSmcUserClient(QString stateDirectory);

    // The service exists while the simulator's state directory does.
    SmcOpenResult open() override;
    std::int32_t callStructMethod(std::uint32_t connection, std::uint32_t selector, const std::uint8_t* input,
                                  std::size_t inputSize, std::uint8_t* output, std::size_t* outputSize) override;
    void close(std::uint32_t connection) override;

private:
    // The key file, re-read only when vantrel-sim has replaced it.
    const smc::SmcKeyFile& currentKeys();

    struct FileIdentity {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        long long modifiedNanoseconds = 0;
        bool operator==(const FileIdentity&) const = default;
    };

    QString stateDirectory_;
    QString keyFile_;
    std::mutex mutex_;
    std::uint32_t nextConnection_ = 0x5c0;
    std::optional<std::uint32_t> openConnection_;
    std::optional<FileIdentity> loadedIdentity_;
    smc::SmcKeyFile keys_;
};

} // namespace vantrel
