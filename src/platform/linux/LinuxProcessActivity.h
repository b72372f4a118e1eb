#pragma once
// Linux does not nap background applications, so an activity changes nothing here; the
// held activities are kept only so their state can be read back (and shown or tested).
#include <map>
#include <mutex>

#include <QStringList>

#include "platform/ProcessActivity.h"

namespace vantrel {

class LinuxProcessActivity final : public ProcessActivity {
public:
    Token beginActivity(std::uint64_t options, const QString& reason) override;
    void endActivity(Token token) override;
    QStringList activeReasons() const;

private:
    mutable std::mutex mutex_;
    Token nextToken_ = 1;
    std::map<Token, QString> active_;
};

} // namespace vantrel
