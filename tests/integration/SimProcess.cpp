#include "SimProcess.h"

#include "base/JsonAccess.h"
#include "daemonserver/RawExchange.h"

namespace vantrel::test {

SimProcess::SimProcess(const TempDir& dir, QStringList extraArguments)
    : dir_(dir)
    , socket_(dir.file("tmp/vantrel_daemon.sock"))
    , state_(dir.file("tmp/vantrel-sim"))
    , extra_(std::move(extraArguments))
{ }

SimProcess::~SimProcess()
{
    if (process_.state() != QProcess::NotRunning)
        terminate();
}

QProcessEnvironment SimProcess::environment() const
{
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("VANTREL_ROOT", dir_.path());
    env.insert("VANTREL_SIM_STATE_DIR", state_);
    env.remove("VANTREL_DAEMON_SOCKET");
    return env;
}

bool SimProcess::start()
{
    process_.setProcessEnvironment(environment());
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start(builtBinary("vantrel-sim"), QStringList{"--manual-clock", "--study-interval", "0"} + extra_);
    if (!process_.waitForStarted(10000))
        return false;
    QByteArray banner;
    while (!banner.contains("state in")) {
        if (!process_.waitForReadyRead(10000))
            return false;
        banner += process_.readAll();
    }
    return true;
}

int SimProcess::terminate()
{
    process_.terminate();
    process_.waitForFinished(10000);
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

QJsonObject SimProcess::call(const QString& cmd, QJsonObject args) const
{
    args.insert("cmd", cmd);
    return json::parseObject(daemonserver::rawExchange(socket_, json::compact(args)).bytes).value_or(QJsonObject());
}

int SimProcess::ctl(const QStringList& args, QByteArray* out) const
{
    QProcess ctl;
    ctl.setProcessEnvironment(environment());
    ctl.start(builtBinary("vantrel-sim"), QStringList{"ctl", "--socket", socket_} + args);
    ctl.waitForFinished(10000);
    if (out)
        *out = ctl.readAllStandardOutput();
    return ctl.exitCode();
}

} // namespace vantrel::test
