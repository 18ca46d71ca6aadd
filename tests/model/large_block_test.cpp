// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/large_block.h"

namespace quillon {
namespace {

constexpr std::size_t kMiB = std::size_t(1) << 20;

bool zeroAt(const LargeBlock& b, std::size_t offset) { return static_cast<const char*>(b.data())[offset] == 0; }

// How many of the block's pages are in memory, written or cleared ahead.
std::size_t residentPages(const LargeBlock& b) {
    std::vector<unsigned char> in(b.size() / 4096);
    if (::mincore(b.data(), b.size(), in.data()) != 0) return 0;
    std::size_t n = 0;
    for (const unsigned char c : in) n += c & 1;
    return n;
}

// Blocks of one size asked for in a row come ready from the second thread,
// and so may the plain ones asked for in between, or after a change of size;
// each must still be its own, whole, zero-filled and aligned.
TEST(LargeBlock, BlocksAskedForInARowAreFreshDistinctAndZeroFilled) {
    std::vector<LargeBlock> blocks;
    for (int i = 0; i < 28; ++i) {
        const std::size_t bytes = i < 24 ? 3 * kMiB + 100 : i < 26 ? 6 * kMiB : 1 * kMiB;
        blocks.emplace_back(bytes, i % 3 != 2);
        const LargeBlock& b = blocks.back();
        ASSERT_NE(b.data(), nullptr);
        EXPECT_EQ(b.size(), (bytes + 2 * kMiB - 1) / (2 * kMiB) * (2 * kMiB));  // rounded up to whole 2 MiB
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(b.data()) % (2 * kMiB), 0u);
        EXPECT_TRUE(zeroAt(b, 0) && zeroAt(b, b.size() / 2) && zeroAt(b, b.size() - 1)) << "block " << i;
        // Give the second thread time to prepare some of the next ones.
        if (i % 6 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::memset(b.data(), i + 1, b.size());
    }
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const auto* p = static_cast<const unsigned char*>(blocks[i].data());
        EXPECT_EQ(p[0], i + 1) << "block " << i << " was handed out twice";
        EXPECT_EQ(p[blocks[i].size() - 1], i + 1);
    }
    EXPECT_EQ(LargeBlock(100, false).size(), 2 * kMiB);
    LargeBlock moved(std::move(blocks.front()));
    EXPECT_EQ(blocks.front().data(), nullptr);
    EXPECT_EQ(moved.size(), 4 * kMiB);
    EXPECT_EQ(LargeBlock(0, true).data(), nullptr);
}

// Pages given back read as zero and take writes again; those before stay.
// Blocks handed out after the prepared ones were dropped are as fresh.
TEST(LargeBlock, TailGivenBackAndPreparedBlocksDropped) {
    LargeBlock block(4 * kMiB, true);
    std::memset(block.data(), 7, block.size());
    const std::size_t used = kMiB + 100;
    block.releasePages(used);
    const auto* p = static_cast<const unsigned char*>(block.data());
    EXPECT_EQ(p[used - 1], 7);
    EXPECT_TRUE(zeroAt(block, 2 * kMiB) && zeroAt(block, block.size() - 1));
    static_cast<unsigned char*>(block.data())[block.size() - 1] = 9;
    EXPECT_EQ(p[block.size() - 1], 9);
    std::memset(block.data(), 7, block.size());
    block.releasePages(used, 3 * kMiB + 100);  // whole pages only, none past the end
    EXPECT_EQ(p[used - 1], 7);
    EXPECT_TRUE(zeroAt(block, 2 * kMiB) && zeroAt(block, 3 * kMiB - 1));
    EXPECT_EQ(p[3 * kMiB + 100], 7);
    EXPECT_EQ(p[3 * kMiB], 7);
    block.releasePages(block.size(), block.size() + 4096);

    std::vector<LargeBlock> blocks;
    for (int i = 0; i < 6; ++i) blocks.emplace_back(4 * kMiB, true);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ReleasePreparedBlocks();
    for (int i = 0; i < 6; ++i) {
        blocks.emplace_back(4 * kMiB, i % 2 == 0);
        EXPECT_EQ(blocks.back().size(), 4 * kMiB);
        EXPECT_TRUE(zeroAt(blocks.back(), 0) && zeroAt(blocks.back(), blocks.back().size() - 1)) << i;
        std::memset(blocks.back().data(), i + 1, blocks.back().size());
    }
    for (int i = 0; i < 6; ++i) EXPECT_EQ(static_cast<const unsigned char*>(blocks[6 + i].data())[0], i + 1);
}

// Near the end of a load no block is prepared ahead, so none waits in
// memory unused; the next load prepares them again.
TEST(LargeBlock, NoneIsPreparedAfterAStopUntilTheNextRelease) {
    const auto someComeCleared = [] {
        std::vector<LargeBlock> blocks;
        for (int i = 0; i < 40; ++i) {
            blocks.emplace_back(4 * kMiB, true);
            if (residentPages(blocks.back()) > 0) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return false;
    };
    ReleasePreparedBlocks();
    if (!someComeCleared()) GTEST_SKIP() << "blocks are prepared ahead only with a second processor";
    StopPreparingBlocks();
    EXPECT_FALSE(someComeCleared());
    ReleasePreparedBlocks();
    EXPECT_TRUE(someComeCleared());
    ReleasePreparedBlocks();
}

}  // namespace
}  // namespace quillon
