#include "foundation/parallelchunks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

TEST(ParallelChunks, EveryChunkRunsOnceAndTheFirstFailureInChunkOrderIsThrown)
{
    for (const std::size_t count : {0U, 1U, 3U, 1000U}) {
        std::vector<std::atomic<int>> runs(count);
        CParallelChunks::Run(count, [&](std::size_t chunk) { ++runs[chunk]; });
        for (std::size_t i = 0; i < count; ++i) {
            EXPECT_EQ(runs[i].load(), 1) << i << " of " << count;
        }
    }
    std::atomic<int> ran{0};
    try {
        CParallelChunks::Run(64, [&](std::size_t chunk) {
            ++ran;
            if (chunk == 9 || chunk == 40) {
                throw std::runtime_error(std::to_string(chunk));
            }
        });
        ADD_FAILURE() << "nothing thrown";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "9");
    }
    // A failing chunk does not keep the others from running.
    EXPECT_EQ(ran.load(), 64);
}

}  // namespace
