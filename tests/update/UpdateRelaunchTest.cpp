#include <gtest/gtest.h>

#include <QJsonObject>

#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "daemon/DaemonClient.h"
#include "support/FakeDaemonTransport.h"
#include "update/VantrelUpdateRelaunch.h"

using namespace vantrel;

namespace {

QJsonObject installation(const QString& state, const QString& version = "1.3.0", bool acknowledged = false)
{
    return QJsonObject{{"status", "ok"},     {"state", state},         {"transaction_id", "t-42"},
                       {"version", version}, {"bundle_version", "41"}, {"app_relaunch_acknowledged", acknowledged}};
}

VantrelUpdateReleaseNotes::Document notes(const QString& version)
{
    VantrelUpdateReleaseNotes::Document d{"vantrel_release_notes.v1", version, "41", {}};
    d.localized.emplace("en", VantrelUpdateReleaseNotes::LocalizedNotes{"What's new", {"Faster fans"}});
    return d;
}

} // namespace

TEST(UpdateRelaunch, AcknowledgesOnlyThisReleaseOnceAndShowsItsNotesOnce)
{
    VirtualDispatch dispatch;
    MemoryPreferences preferences;
    auto transport = std::make_shared<test::FakeDaemonTransport>();
    auto client = std::make_shared<DaemonClient>(transport, QStringLiteral("/nonexistent"));
    transport->replyOk("ack_update_app_relaunch");
    VantrelUpdateRelaunch relaunch(dispatch, client, preferences, "1.3.0", "41");

    // Nothing to acknowledge: another version, a running or failed installation, already acknowledged.
    for (const auto& reply : {installation("completed", "1.2.0"), installation("installing"),
                              installation("rolled_back"), installation("completed", "1.3.0", true)}) {
        transport->reply("get_update_installation_state", reply);
        relaunch.acknowledgePendingUpdateRelaunch();
        dispatch.runUntilIdle();
    }
    EXPECT_TRUE(transport->requestsFor("ack_update_app_relaunch").empty());
    EXPECT_FALSE(relaunch.takePendingReleaseNotes(notes("1.3.0"), "en"));

    transport->reply("get_update_installation_state", installation("postinstall_verified"));
    relaunch.acknowledgePendingUpdateRelaunch();
    dispatch.runUntilIdle();
    const auto acks = transport->requestsFor("ack_update_app_relaunch");
    ASSERT_EQ(acks.size(), 1u);
    EXPECT_EQ(acks[0].value("transaction_id").toString(), "t-42");

    // Notes of another release are not shown, and the mark is used up either way.
    VantrelUpdateRelaunch again(dispatch, client, preferences, "1.3.0", "41");
    EXPECT_FALSE(again.takePendingReleaseNotes(notes("1.2.0"), "en"));
    preferences.setValue(VantrelUpdateRelaunch::pendingNotesKey, "1.3.0 (41)");
    const auto shown = again.takePendingReleaseNotes(notes("1.3.0"), "ko");
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->title, "What's new");
    EXPECT_FALSE(again.takePendingReleaseNotes(notes("1.3.0"), "en"));

    // A daemon that refuses the acknowledgement leaves nothing pending.
    transport->reply("ack_update_app_relaunch", QJsonObject{{"status", "error"}});
    relaunch.acknowledgePendingUpdateRelaunch();
    dispatch.runUntilIdle();
    EXPECT_FALSE(preferences.exists(VantrelUpdateRelaunch::pendingNotesKey));
}
