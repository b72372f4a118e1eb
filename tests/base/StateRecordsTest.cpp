#include <gtest/gtest.h>

#include "base/BoundedBackoffState.h"
#include "base/CoalescingGenerationState.h"

using namespace vantrel;

TEST(BoundedBackoffState, DelaysDoubleUpToSixteenThenStop)
{
    BoundedBackoffState state{0, 7};
    std::vector<double> delays;
    while (auto d = state.nextDelay())
        delays.push_back(*d);
    EXPECT_EQ(delays, (std::vector<double>{1, 2, 4, 8, 16, 16, 16}));
    EXPECT_TRUE(state.isExhausted());
    state.reset();
    EXPECT_EQ(state.nextDelay(), 1.0);
}

TEST(CoalescingGenerationState, OneInFlightAndStaleResultsDropped)
{
    CoalescingGenerationState state;
    auto first = state.begin();
    ASSERT_TRUE(first);
    EXPECT_FALSE(state.begin());
    EXPECT_TRUE(state.accept(*first));
    EXPECT_TRUE(state.isReady());

    auto second = state.begin();
    state.invalidate();
    EXPECT_FALSE(state.accept(*second));
    auto third = state.begin();
    ASSERT_TRUE(third);
    EXPECT_FALSE(state.accept(*second));
    EXPECT_TRUE(state.accept(*third));
}
