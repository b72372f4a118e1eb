#include <gtest/gtest.h>

#include "fan/LLMDetector.h"
#include "platform/fakes/FakeProcessTable.h"

using namespace vantrel;
using namespace vantrel::test;

TEST(LLMDetector, MatchesRuntimeNamesAsTheKernelGivesThemAndWeighsThreads)
{
    FakeProcessTable table;
    table.processes = {{1, "systemd", 1},
                       {812, "llama-server", 8},
                       {813, "LM Studio Helpe", 1}, // 15-character comm of "LM Studio Helper"
                       {814, "LLAMA-CLI", 0}, // thread count unreadable
                       {815, "python3", 12},
                       {816, "mlx_lm.server", 4},
                       {0, "llama-server", 4}, // no real process id
                       {817, "", 4}};
    LLMDetector detector(table);
    const std::vector<LLMProcess> expected{{"llama-server", 812, 10.0},
                                           {"LM Studio Helpe", 813, 1.0},
                                           {"LLAMA-CLI", 814, 1.0},
                                           {"mlx_lm.server", 816, 10.0}};
    EXPECT_EQ(detector.getProcesses(), expected);
    // Only the matching processes with a real ID have their thread counts read.
    EXPECT_EQ(table.threadCountQueries, (std::vector<int>{812, 813, 814, 816}));
    EXPECT_FALSE(LLMDetector::matches("ollama")); // not one of the fragments
}

TEST(LLMDetector, ClassifiesByLargestAndTotalWeight)
{
    const auto many = [](int n, double weight) {
        std::vector<LLMProcess> out;
        for (int i = 0; i < n; ++i)
            out.push_back({"llama-server", 100 + i, weight});
        return out;
    };
    EXPECT_EQ(LLMDetector::classifyState({}), LLMState::Idle);
    EXPECT_EQ(LLMDetector::classifyState(many(1, 10)), LLMState::KeepAlive);
    EXPECT_EQ(LLMDetector::classifyState(many(8, 10)), LLMState::KeepAlive); // sum 80 is not above 80
    EXPECT_EQ(LLMDetector::classifyState(many(9, 10)), LLMState::Inferencing);
    EXPECT_EQ(LLMDetector::classifyState(many(1, 50.5)), LLMState::Inferencing);
}
