// Who may change the machine: reading is open, changing needs root, the daemon's user, the
// "vantrel" group or the active local session; a refused request changes nothing.
#include <gtest/gtest.h>

#include "NodeTestSupport.h"

using namespace vantrel;
using node::AuthorizationGrant;
using node::Authorizer;
using test::FakeNode;

TEST(NodeAuthorization, GrantsFollowRootGroupSessionAndDaemonUser)
{
    auto sessions = std::make_shared<test::FakeSessions>();
    auto groups = std::make_shared<test::FakeGroups>();
    const Authorizer auth(sessions, groups, test::kDaemonUid);
    const auto stranger = test::peerWithUid(1500);

    EXPECT_TRUE(auth.authorize(stranger, "get_status").allowed);
    EXPECT_TRUE(auth.authorize(stranger, "get_hardware_profile").allowed);
    EXPECT_FALSE(auth.authorize(stranger, "set_charge_limit").allowed);
    EXPECT_FALSE(auth.authorize(stranger, "app_heartbeat").allowed) << "a heartbeat keeps the fans in manual";
    EXPECT_FALSE(auth.authorize({}, "set_fan_mode").allowed) << "a peer the kernel cannot name";

    EXPECT_EQ(auth.authorize(test::peerWithUid(0), "reset_to_vanilla").grant, AuthorizationGrant::Root);
    EXPECT_EQ(auth.authorize(test::peerWithUid(test::kDaemonUid), "reset_to_vanilla").grant,
              AuthorizationGrant::DaemonUser);
    groups->members = {1500};
    EXPECT_EQ(auth.authorize(stranger, "set_charge_limit").grant, AuthorizationGrant::Group);
    groups->members.clear();
    sessions->active = 1500;
    EXPECT_EQ(auth.authorize(stranger, "set_charge_limit").grant, AuthorizationGrant::ActiveSession);
    sessions->active = 1600;
    EXPECT_FALSE(auth.authorize(stranger, "set_charge_limit").allowed) << "another user's session";
    sessions->active.reset();
    EXPECT_FALSE(auth.authorize(stranger, "set_charge_limit").allowed) << "no active session at all";
}

TEST(NodeAuthorization, ARefusedPeerGetsACodeAndTheMachineStaysAsItWas)
{
    FakeNode node;
    const auto refused = node.call("set_charge_limit", {{"limit", 60}}, 1500);
    EXPECT_EQ(refused["status"].toString(), "error");
    EXPECT_EQ(refused["code"].toString(), "ERR_NOT_AUTHORIZED");
    EXPECT_EQ(refused["reason"].toString(), "not_authorized");
    EXPECT_EQ(node.file("sys/class/power_supply/BAT0/charge_control_end_threshold"), "80");
    EXPECT_EQ(node.call("app_heartbeat", {}, 1500)["code"].toString(), "ERR_NOT_AUTHORIZED");
    EXPECT_FALSE(node.call("get_power_policy_state", {}, 1500)["app_lease_active"].toBool())
        << "a refused heartbeat holds no lease";
    EXPECT_EQ(node.call("get_status", {}, 1500)["status"].toString(), "ok");

    node.sessions->active = 1500;
    EXPECT_EQ(node.call("set_charge_limit", {{"limit", 90}}, 1500)["status"].toString(), "ok");
    EXPECT_EQ(node.file("sys/class/power_supply/BAT0/charge_control_end_threshold"), "90");
}
