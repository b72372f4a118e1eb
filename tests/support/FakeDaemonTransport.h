#pragma once
// A daemon stand-in for unit tests: answers each command from a scripted table (or a
// function), records every request it received, and can stay silent to model a lost daemon.
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include <QHash>
#include <QJsonObject>
#include <QString>

#include "daemon/DaemonTransport.h"

namespace vantrel::test {

class FakeDaemonTransport final : public DaemonTransport {
public:
    using Handler = std::function<std::optional<QJsonObject>(const QJsonObject& request)>;

    std::optional<QJsonObject> send(const QJsonObject& request) override
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
        const QString cmd = request.value(QStringLiteral("cmd")).toString();
        if (handlers_.contains(cmd))
            return handlers_.value(cmd)(request);
        if (replies_.contains(cmd))
            return replies_.value(cmd);
        if (fallback_)
            return fallback_(request);
        return std::nullopt;
    }

    // Answers cmd with reply; std::nullopt makes the daemon silent for that command.
    void reply(const QString& cmd, std::optional<QJsonObject> reply)
    {
        std::lock_guard lock(mutex_);
        handlers_.remove(cmd);
        if (reply)
            replies_.insert(cmd, *reply);
        else
            replies_.remove(cmd);
    }
    void replyOk(const QString& cmd, QJsonObject extra = {})
    {
        extra.insert(QStringLiteral("status"), QStringLiteral("ok"));
        reply(cmd, extra);
    }
    void handle(const QString& cmd, Handler handler)
    {
        std::lock_guard lock(mutex_);
        handlers_.insert(cmd, std::move(handler));
    }
    // Used for commands with no scripted reply; unset means no reply.
    void setFallback(Handler handler)
    {
        std::lock_guard lock(mutex_);
        fallback_ = std::move(handler);
    }

    std::vector<QJsonObject> requests() const
    {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    std::vector<QJsonObject> requestsFor(const QString& cmd) const
    {
        std::lock_guard lock(mutex_);
        std::vector<QJsonObject> out;
        for (const auto& r : requests_)
            if (r.value(QStringLiteral("cmd")).toString() == cmd)
                out.push_back(r);
        return out;
    }
    void clearRequests()
    {
        std::lock_guard lock(mutex_);
        requests_.clear();
    }

private:
    mutable std::mutex mutex_;
    QHash<QString, QJsonObject> replies_;
    QHash<QString, Handler> handlers_;
    Handler fallback_;
    std::vector<QJsonObject> requests_;
};

} // namespace vantrel::test
