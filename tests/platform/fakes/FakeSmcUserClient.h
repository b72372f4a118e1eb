#pragma once
// An SMC user client for tests: a key table answered with the real block protocol, a
// scriptable open outcome, kernel failures per key, and a record of every call.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include <QHash>

#include "platform/SMCParamBlock.h"
#include "platform/SmcUserClient.h"

namespace vantrel::test {

class FakeSmcUserClient final : public SmcUserClient {
public:
    struct Call {
        std::uint32_t connection = 0;
        std::uint32_t selector = 0;
        SMCParamBlock input;
    };

    void setOpenResult(SmcOpenResult result) { openResult_ = result; }
    void setKey(const QString& key, const QString& type, QByteArray bytes)
    {
        keys_.insert(key, {type, std::move(bytes)});
    }
    // Calls for key return kernelResult (at the given command, 0 = both).
    void failKey(const QString& key, std::int32_t kernelResult, std::uint8_t command = 0)
    {
        failures_.insert(key, {kernelResult, command});
    }

    SmcOpenResult open() override { return openResult_; }
    void close(std::uint32_t connection) override { closed_.push_back(connection); }

    std::int32_t callStructMethod(std::uint32_t connection, std::uint32_t selector, const std::uint8_t* input,
                                  std::size_t inputSize, std::uint8_t* output, std::size_t* outputSize) override
    {
        std::lock_guard lock(mutex_);
        if (inputSize != SMCParamBlock::size || *outputSize != SMCParamBlock::size)
            return smc::kBadArgument;
        const SMCParamBlock in = SMCParamBlock::decode(input);
        calls_.push_back({connection, selector, in});
        if (connection == 0 || connection != openResult_.connection)
            return smc::kInvalidConnection;
        const QString key = smcFourCharString(in.key);
        if (const auto f = failures_.constFind(key);
            f != failures_.constEnd() && (f->second == 0 || f->second == in.command))
            return f->first;
        SMCParamBlock out;
        out.key = in.key;
        const auto it = keys_.constFind(key);
        if (it == keys_.constEnd()) {
            out.result = SMCParamBlock::resultKeyNotFound;
        } else if (in.command == SMCParamBlock::commandReadKeyInfo) {
            out.dataSize = static_cast<std::uint32_t>(it->second.size());
            out.dataType = smcFourCharCode(it->first).value_or(0);
        } else {
            // The value block is filled with 0xee past the key's size, which a reader must ignore.
            out.bytes.fill(0xee);
            std::memcpy(
                out.bytes.data(), it->second.constData(),
                std::min<std::size_t>({in.dataSize, static_cast<std::size_t>(it->second.size()), out.bytes.size()}));
        }
        const auto encoded = out.encode();
        std::memcpy(output, encoded.data(), encoded.size());
        return smc::kSuccess;
    }

    std::vector<Call> calls() const
    {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    const std::vector<std::uint32_t>& closed() const { return closed_; }

private:
    mutable std::mutex mutex_;
    SmcOpenResult openResult_{SmcOpenResult::Status::Opened, 7};
    QHash<QString, std::pair<QString, QByteArray>> keys_;
    QHash<QString, std::pair<std::int32_t, std::uint8_t>> failures_;
    std::vector<Call> calls_;
    std::vector<std::uint32_t> closed_;
};

} // namespace vantrel::test
