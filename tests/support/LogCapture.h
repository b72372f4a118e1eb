#pragma once
// Captures log lines for the lifetime of the object.
#include <mutex>

#include <QString>
#include <QStringList>

namespace vantrel::test {

class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    QStringList lines() const;
    bool contains(const QString& fragment) const;
    int count(const QString& fragment) const;
    void clear();

private:
    mutable std::mutex mutex_;
    QStringList lines_;
};

} // namespace vantrel::test
