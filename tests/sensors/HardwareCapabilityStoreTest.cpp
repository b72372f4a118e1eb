#include "sensors/HardwareCapabilityStore.h"

#include <gtest/gtest.h>

#include "base/VirtualDispatch.h"
#include "support/FakeDaemonTransport.h"

namespace vantrel {
namespace {

const QString kCmd = QStringLiteral("get_hardware_profile");

QJsonObject okProfile()
{
    return QJsonObject{{"status", "ok"},
                       {"model_identifier", "Mac14,10"},
                       {"architecture", "arm64"},
                       {"fan_count", 2},
                       {"has_battery", true},
                       {"supports_clamshell", true},
                       {"supports_smc_fan_control", true},
                       {"supports_safe_fan_control", true},
                       {"supports_battery_smc_control", false},
                       {"desktop_class", false}};
}

TEST(HardwareProfile, DecodesStrictlyAndNeverFails)
{
    const HardwareProfile p = HardwareProfile::daemonProfile(okProfile());
    EXPECT_EQ(p.modelIdentifier, QStringLiteral("Mac14,10"));
    EXPECT_EQ(p.architecture, QStringLiteral("arm64"));
    EXPECT_EQ(p.fanCount, 2);
    EXPECT_TRUE(p.hasBattery && p.supportsClamshell && p.supportsSMCFanControl && p.supportsSafeFanControl);
    EXPECT_FALSE(p.supportsBatterySMCControl || p.desktopClass);
    EXPECT_FALSE(p.isBlank());

    // Numbers, strings and null are not booleans; mistyped names and counts take their defaults.
    QJsonObject loose{
        {"status", "ok"},   {"model_identifier", 42},       {"fan_count", "2"},
        {"has_battery", 1}, {"supports_clamshell", "true"}, {"supports_safe_fan_control", QJsonValue::Null}};
    EXPECT_TRUE(HardwareProfile::daemonProfile(loose).isBlank());
    loose.insert(QStringLiteral("fan_count"), -3);
    EXPECT_EQ(HardwareProfile::daemonProfile(loose).fanCount, 0);
    loose.insert(QStringLiteral("fan_count"), 1e12);
    EXPECT_EQ(HardwareProfile::daemonProfile(loose).fanCount, 0);

    QJsonObject failed = okProfile();
    failed.insert(QStringLiteral("status"), QStringLiteral("OK"));
    EXPECT_TRUE(HardwareProfile::daemonProfile(failed).isBlank());
    EXPECT_TRUE(HardwareProfile::daemonProfile(std::nullopt).isBlank());
}

struct StoreFixture {
    VirtualDispatch dispatch;
    std::shared_ptr<test::FakeDaemonTransport> daemon = std::make_shared<test::FakeDaemonTransport>();
    std::unique_ptr<HardwareCapabilityStore> store
        = std::make_unique<HardwareCapabilityStore>(std::make_shared<DaemonClient>(daemon), dispatch);
    int profileSignals = 0;
    int generationSignals = 0;

    StoreFixture()
    {
        QObject::connect(store.get(), &HardwareCapabilityStore::profileChanged, [this] { ++profileSignals; });
        QObject::connect(store.get(), &HardwareCapabilityStore::successfulRefreshGenerationChanged,
                         [this] { ++generationSignals; });
    }
    std::size_t asked() const { return daemon->requestsFor(kCmd).size(); }
};

TEST(HardwareCapabilityStore, RetriesAfter1_2_4_8_16SecondsThenStops)
{
    StoreFixture f; // the daemon stays silent
    f.store->refresh();
    f.dispatch.runUntilIdle();
    EXPECT_EQ(f.asked(), 1u);
    EXPECT_TRUE(f.store->isLoaded()); // loaded, though with the blank profile
    EXPECT_TRUE(f.store->profile().isBlank());
    EXPECT_EQ(f.store->successfulRefreshGeneration(), 0u);

    std::size_t expected = 1;
    for (const double delay : {1.0, 2.0, 4.0, 8.0, 16.0}) {
        f.dispatch.advance(seconds(delay) - Duration(1));
        EXPECT_EQ(f.asked(), expected) << "too early before the " << delay << " s retry";
        // Before the retries are used up a probe does nothing.
        f.store->probeAfterExhaustion();
        f.dispatch.runUntilIdle();
        EXPECT_EQ(f.asked(), expected);
        f.dispatch.advance(Duration(1));
        EXPECT_EQ(f.asked(), ++expected) << "retry after " << delay << " s";
    }
    f.dispatch.advanceSeconds(600);
    EXPECT_EQ(f.asked(), 6u);

    // Exhausted: a probe tries exactly once and schedules nothing.
    f.store->probeAfterExhaustion();
    f.dispatch.runUntilIdle();
    f.dispatch.advanceSeconds(600);
    EXPECT_EQ(f.asked(), 7u);

    // refresh() starts the count afresh.
    f.store->refresh();
    f.dispatch.runUntilIdle();
    f.dispatch.advanceSeconds(1);
    EXPECT_EQ(f.asked(), 9u);
}

TEST(HardwareCapabilityStore, SuccessAfterFailuresResetsTheRetriesAndPublishes)
{
    StoreFixture f;
    f.store->refresh();
    f.dispatch.runUntilIdle();
    f.dispatch.advanceSeconds(1);

    f.daemon->reply(kCmd, okProfile());
    f.dispatch.advanceSeconds(2);
    EXPECT_EQ(f.asked(), 3u);
    EXPECT_EQ(f.store->profile().modelIdentifier, QStringLiteral("Mac14,10"));
    EXPECT_EQ(f.store->successfulRefreshGeneration(), 3u);
    EXPECT_EQ(f.profileSignals, 1);
    EXPECT_EQ(f.generationSignals, 1);
    f.dispatch.advanceSeconds(600);
    EXPECT_EQ(f.asked(), 3u);

    // A later failure keeps publishing what the daemon says: the blank profile, with retries
    // that start again at one second.
    f.daemon->reply(kCmd, QJsonObject{{"status", "error"}});
    f.store->refresh();
    f.dispatch.runUntilIdle();
    EXPECT_TRUE(f.store->profile().isBlank());
    EXPECT_EQ(f.store->successfulRefreshGeneration(), 3u);
    f.dispatch.advanceSeconds(1);
    EXPECT_EQ(f.asked(), 5u);
}

TEST(HardwareCapabilityStore, CoalescesRefreshesWhileOneIsInFlight)
{
    StoreFixture f;
    f.daemon->handle(kCmd, [&f](const QJsonObject&) -> std::optional<QJsonObject> {
        f.store->refresh(); // arrives while this exchange is running
        return okProfile();
    });
    f.store->refresh();
    f.store->refresh();
    f.dispatch.runUntilIdle();
    EXPECT_EQ(f.asked(), 1u);
    EXPECT_EQ(f.store->successfulRefreshGeneration(), 1u);
    // Nothing is left in flight: the next refresh asks again.
    f.daemon->reply(kCmd, okProfile());
    f.store->refresh();
    f.dispatch.runUntilIdle();
    EXPECT_EQ(f.asked(), 2u);
}

TEST(HardwareCapabilityStore, ClearDropsTheRunningRefreshAndThePendingRetry)
{
    StoreFixture f;
    f.daemon->reply(kCmd, okProfile());
    f.store->refresh();
    f.dispatch.runUntilIdle();
    ASSERT_TRUE(f.store->isLoaded());

    // clear() while the exchange runs: its result is stale and published nowhere.
    f.daemon->handle(kCmd, [&f](const QJsonObject&) -> std::optional<QJsonObject> {
        f.store->clear();
        return okProfile();
    });
    f.store->refresh();
    f.dispatch.runUntilIdle();
    EXPECT_EQ(f.asked(), 2u);
    EXPECT_FALSE(f.store->isLoaded());
    EXPECT_TRUE(f.store->profile().isBlank());
    EXPECT_EQ(f.store->successfulRefreshGeneration(), 1u);

    // clear() cancels a pending retry: nothing more until the next refresh().
    f.daemon->reply(kCmd, std::nullopt);
    f.store->refresh();
    f.dispatch.runUntilIdle();
    f.store->clear();
    f.dispatch.runUntilIdle();
    f.dispatch.advanceSeconds(600);
    EXPECT_EQ(f.asked(), 3u);
}

TEST(HardwareCapabilityStore, ARetryOrLateAnswerDoesNothingOnceTheStoreIsGone)
{
    StoreFixture f;
    f.store->refresh();
    f.dispatch.runUntilIdle();
    f.store.reset();
    f.dispatch.advanceSeconds(60);
    EXPECT_EQ(f.asked(), 1u);

    StoreFixture g;
    g.daemon->handle(kCmd, [&g](const QJsonObject&) -> std::optional<QJsonObject> {
        g.store.reset();
        return okProfile();
    });
    g.store->refresh();
    g.dispatch.runUntilIdle();
    EXPECT_EQ(g.asked(), 1u);
}

} // namespace
} // namespace vantrel
