#include <gtest/gtest.h>

#include "base/VirtualDispatch.h"
#include "core/TextCommandBridge.h"
#include "daemon/DaemonClient.h"
#include "support/FakeDaemonTransport.h"
#include "support/LogCapture.h"

using namespace vantrel;

namespace {
QStringList sent(const test::FakeDaemonTransport& daemon)
{
    QStringList out;
    for (const auto& r : daemon.requests()) {
        QString line = r.value("cmd").toString();
        for (const auto& key :
             {"index", "mode", "rpm", "limit", "enabled", "battery_cutoff_percent", "persist_user_intent"})
            if (r.contains(key))
                line += QStringLiteral(" %1=%2").arg(key, r.value(key).toVariant().toString());
        out << line;
    }
    return out;
}
} // namespace

TEST(TextCommandBridge, TranslatesEachCommandWordIntoDaemonCommands)
{
    auto transport = std::make_shared<test::FakeDaemonTransport>();
    transport->setFallback([](const QJsonObject&) { return QJsonObject{{"status", "ok"}}; });
    DaemonClient daemon(transport);
    VirtualDispatch dispatch;
    int cutoff = 40;
    TextCommandBridge bridge(daemon, dispatch, [&] { return cutoff; });
    test::LogCapture log;

    bridge.sendToDaemon("RPM 0");
    EXPECT_TRUE(transport->requests().empty()) << "sent before the background queue ran";
    dispatch.runUntilIdle();
    EXPECT_EQ(sent(*transport), (QStringList{"set_fan_mode index=0 mode=auto", "set_fan_mode index=1 mode=auto"}));
    EXPECT_TRUE(log.contains("ThermalManager: Intercepted command -> RPM 0"));

    transport->clearRequests();
    bridge.sendToDaemon("  RPM   3000 ");
    dispatch.runUntilIdle();
    EXPECT_EQ(sent(*transport),
              (QStringList{"set_fan_mode index=0 mode=manual", "set_fan_mode index=1 mode=manual",
                           "set_fan_rpm index=0 rpm=3000", "set_fan_rpm index=1 rpm=3000"}));

    transport->clearRequests();
    for (const char* cmd : {"F1Tg abc", "BCLM", "NICE 5", "TSKP 1", "LOWP 1", "XYZ 3", ""})
        bridge.sendToDaemon(cmd);
    dispatch.runUntilIdle();
    EXPECT_TRUE(transport->requests().empty());

    bridge.sendToDaemon("BCLM 75");
    bridge.sendToDaemon("DSLP 1");
    bridge.sendToDaemon("F0Md 1");
    bridge.sendToDaemon("F1Md 0");
    bridge.sendToDaemon("F0Tg 2200");
    bridge.sendToDaemon("F1Tg 2400");
    dispatch.runUntilIdle();
    EXPECT_EQ(sent(*transport),
              (QStringList{"set_charge_limit limit=75",
                           "set_system_sleep_disabled enabled=true battery_cutoff_percent=40 persist_user_intent=true",
                           "set_fan_mode index=0 mode=manual", "set_fan_mode index=1 mode=auto",
                           "set_fan_rpm index=0 rpm=2200", "set_fan_rpm index=1 rpm=2400"}));
}
