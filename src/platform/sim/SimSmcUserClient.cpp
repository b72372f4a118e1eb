#include "platform/sim/SimSmcUserClient.h"

#include <algorithm>
#include <cstring>

#include <sys/stat.h>

#include <QFileInfo>

#include "base/AtomicFile.h"
#include "platform/SMCParamBlock.h"
#include "platform/sim/SimStateDirectory.h"

namespace vantrel {

SimSmcUserClient::SimSmcUserClient(QString stateDirectory)
    : stateDirectory_(std::move(stateDirectory))
    , keyFile_(stateDirectory_ + QLatin1Char('/') + QLatin1String(simstate::smcKeysFile))
{ }

SmcOpenResult SimSmcUserClient::open()
{
    if (!QFileInfo(stateDirectory_).isDir())
        return {SmcOpenResult::Status::ServiceNotFound, 0};
    std::lock_guard lock(mutex_);
    openConnection_ = ++nextConnection_;
    return {SmcOpenResult::Status::Opened, *openConnection_};
}

void SimSmcUserClient::close(std::uint32_t connection)
{
    std::lock_guard lock(mutex_);
    if (openConnection_ == connection)
        openConnection_.reset();
}

const smc::SmcKeyFile& SimSmcUserClient::currentKeys()
{
    struct stat info { };
    const QByteArray path = keyFile_.toLocal8Bit();
    if (::stat(path.constData(), &info) != 0) {
        loadedIdentity_.reset();
        keys_ = smc::SmcKeyFile();
        return keys_;
    }
    const FileIdentity identity{info.st_dev, info.st_ino, info.st_size,
                                static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec};
    if (loadedIdentity_ != identity) {
        // The simulator writes a few kilobytes; anything far larger is not its key store.
        const auto text = readFile(keyFile_, 1024 * 1024);
        keys_ = smc::SmcKeyFile::parse(
            text ? std::string_view(text->constData(), static_cast<std::size_t>(text->size())) : std::string_view());
        loadedIdentity_ = identity;
    }
    return keys_;
}

std::int32_t SimSmcUserClient::callStructMethod(std::uint32_t connection, std::uint32_t selector,
                                                const std::uint8_t* input, std::size_t inputSize, std::uint8_t* output,
                                                std::size_t* outputSize)
{
    std::lock_guard lock(mutex_);
    if (connection == 0 || openConnection_ != connection)
        return smc::kInvalidConnection;
    if (selector != SMCParamBlock::selector || !input || inputSize != SMCParamBlock::size || !output || !outputSize
        || *outputSize < SMCParamBlock::size)
        return smc::kBadArgument;

    const SMCParamBlock request = SMCParamBlock::decode(input);
    SMCParamBlock reply;
    reply.key = request.key;
    const smc::SmcEntry* value = currentKeys().find(smcFourCharString(request.key).toLatin1().toStdString());
    if (!value) {
        // A key the SMC does not have: the call itself succeeds, the SMC's result byte says so.
        reply.result = SMCParamBlock::resultKeyNotFound;
    } else if (request.command == SMCParamBlock::commandReadKeyInfo) {
        reply.dataSize = static_cast<std::uint32_t>(value->bytes.size());
        reply.dataType = smcFourCharCode(QString::fromStdString(smc::typeCode(value->type))).value_or(0);
    } else if (request.command == SMCParamBlock::commandReadKey) {
        const auto n = std::min<std::size_t>({value->bytes.size(), request.dataSize, SMCParamBlock::valueCapacity});
        std::memcpy(reply.bytes.data(), value->bytes.data(), n);
    } else {
        reply.result = 1;
    }
    const auto encoded = reply.encode();
    std::memcpy(output, encoded.data(), encoded.size());
    *outputSize = encoded.size();
    return smc::kSuccess;
}

} // namespace vantrel
