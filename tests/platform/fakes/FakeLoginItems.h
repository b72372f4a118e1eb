#pragma once
// Login items in memory: a scripted main-app status and the autostart entries that were written.
#include <map>
#include <optional>

#include "platform/LoginItems.h"

namespace vantrel::test {

class FakeLoginItems final : public LoginItems {
public:
    Status mainAppStatus() const override { return status_; }
    bool unregisterMainApp(QString* error) override
    {
        ++unregisterCalls;
        if (unregisterError) {
            if (error)
                *error = *unregisterError;
            return false;
        }
        status_ = Status::NotRegistered;
        return true;
    }
    bool installAutostartEntry(const QString& label, const QStringList& programArguments, QString*) override
    {
        entries[label] = programArguments;
        return true;
    }
    bool removeAutostartEntry(const QString& label, QString*) override
    {
        entries.erase(label);
        return true;
    }
    bool hasAutostartEntry(const QString& label) const override { return entries.count(label) > 0; }

    void setMainAppStatus(Status status) { status_ = status; }

    std::map<QString, QStringList> entries;
    int unregisterCalls = 0;
    std::optional<QString> unregisterError;

private:
    Status status_ = Status::NotRegistered;
};

} // namespace vantrel::test
