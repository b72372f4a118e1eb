#pragma once
// A daemon's commands by name, over the context its handlers work on. Each group of commands
// registers itself from its own file.
#include <functional>

#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace vantrel::daemonserver {

template <typename Context> struct Command {
    std::function<QJsonObject(Context&, const QJsonObject& request)> handler;
    // The command can change the machine or the daemon's stored state.
    bool changesState = true;
    // A read-back the application polls; not worth a diagnostic event.
    bool quiet = false;
};

template <typename Context> class CommandTable {
public:
    using Handler = std::function<QJsonObject(Context&, const QJsonObject& request)>;

    void add(const QString& name, Handler handler, bool changesState = true, bool quiet = false)
    {
        commands_.insert(name, Command<Context>{std::move(handler), changesState, quiet});
    }
    const Command<Context>* find(const QString& name) const
    {
        const auto it = commands_.constFind(name);
        return it == commands_.cend() ? nullptr : &it.value();
    }
    QStringList names() const
    {
        QStringList names = commands_.keys();
        names.sort();
        return names;
    }

private:
    QHash<QString, Command<Context>> commands_;
};

} // namespace vantrel::daemonserver
