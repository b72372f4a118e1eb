#pragma once
// What keeps this machine awake for the daemon: a logind "sleep" inhibitor and, for the
// closed-lid case, a "handle-lid-switch" one. An interface so the policy can be tested alone.
#include <cstdint>
#include <memory>
#include <optional>

#include <QString>

namespace vantrel {
class LinuxPowerAssertions;
}

namespace vantrel::node {

class SleepInhibitors {
public:
    virtual ~SleepInhibitors() = default;
    // Takes or drops both inhibitors; true when the wanted state holds afterwards.
    virtual bool hold(bool held) = 0;
    virtual bool held() const = 0;
    // Whether logind answers at all (so the lid switch can be held).
    virtual bool available() const = 0;
};

// The inhibitors over logind on the system bus (or the bus at busAddress).
class LogindSleepInhibitors final : public SleepInhibitors {
public:
    explicit LogindSleepInhibitors(QString busAddress = {});
    ~LogindSleepInhibitors() override;

    bool hold(bool held) override;
    bool held() const override { return sleepId_.has_value(); }
    bool available() const override;

private:
    QString busAddress_;
    std::unique_ptr<LinuxPowerAssertions> assertions_;
    std::optional<std::uint32_t> sleepId_;
};

} // namespace vantrel::node
