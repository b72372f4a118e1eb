#pragma once
// Counts process activities begun and ended, with their options and reasons.
#include <cstdint>
#include <map>
#include <mutex>

#include "platform/ProcessActivity.h"

namespace vantrel::test {

class FakeProcessActivity final : public ProcessActivity {
public:
    struct Activity {
        std::uint64_t options = 0;
        QString reason;
    };

    Token beginActivity(std::uint64_t options, const QString& reason) override
    {
        std::lock_guard lock(mutex_);
        ++begun_;
        const Token token = nextToken_++;
        active_[token] = Activity{options, reason};
        return token;
    }
    void endActivity(Token token) override
    {
        std::lock_guard lock(mutex_);
        if (active_.erase(token))
            ++ended_;
    }

    std::map<Token, Activity> active() const
    {
        std::lock_guard lock(mutex_);
        return active_;
    }
    int begun() const
    {
        std::lock_guard lock(mutex_);
        return begun_;
    }
    int ended() const
    {
        std::lock_guard lock(mutex_);
        return ended_;
    }

private:
    mutable std::mutex mutex_;
    Token nextToken_ = 1;
    std::map<Token, Activity> active_;
    int begun_ = 0;
    int ended_ = 0;
};

} // namespace vantrel::test
