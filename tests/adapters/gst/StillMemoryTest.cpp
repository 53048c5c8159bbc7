#include "adapters/gst/StillMemory.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace kestrel {
namespace {

// `height` rows of `bytesPerRow` bytes counting up from `first`.
std::vector<std::uint8_t> rows(int height, std::size_t bytesPerRow, std::uint8_t first) {
    std::vector<std::uint8_t> bytes(bytesPerRow * static_cast<std::size_t>(height));
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

TEST(StillMemoryTest, AStillsBlockIsUsedAgainOnlyOnceTheStillIsLetGo) {
    const auto memory = StillMemory::create();
    const auto first = rows(2, 16, 0);
    Image held = memory->copy(3, 2, first.data(), 16);
    ASSERT_TRUE(held);
    // The padding is dropped, the pixels kept.
    EXPECT_EQ(held.bitmap().bytesPerRow(), 12u);
    EXPECT_EQ(held.bitmap().row(1)[0], 16);
    EXPECT_EQ(held.bitmap().row(1)[11], 27);
    const std::uint8_t* heldPixels = held.bitmap().data();

    // While it is held, the next still gets a block of its own and leaves it as it was.
    const auto second = rows(2, 12, 100);
    Image next = memory->copy(3, 2, second.data(), 12);
    EXPECT_NE(next.bitmap().data(), heldPixels);
    EXPECT_EQ(held.bitmap().row(1)[0], 16);
    EXPECT_EQ(memory->spareBlocks(), 0u);

    // Let go, its block comes back and serves the next still of that size.
    held = Image();
    EXPECT_EQ(memory->spareBlocks(), 1u);
    const Image third = memory->copy(3, 2, second.data(), 12);
    EXPECT_EQ(third.bitmap().data(), heldPixels);
    EXPECT_EQ(third.bitmap().row(0)[0], 100);
    EXPECT_EQ(memory->spareBlocks(), 0u);
}

TEST(StillMemoryTest, SpareBlocksAreFewAndOfTheSourcesCurrentSize) {
    const auto memory = StillMemory::create();
    memory->prepare(4, 4);
    memory->prepare(4, 4);  // one is spare already
    EXPECT_EQ(memory->spareBlocks(), 1u);
    memory->prepare(0, 4);
    EXPECT_EQ(memory->spareBlocks(), 1u);

    const auto pixels = rows(4, 16, 0);
    std::vector<Image> stills;
    for (int i = 0; i < 4; ++i) stills.push_back(memory->copy(4, 4, pixels.data(), 16));
    stills.clear();
    EXPECT_EQ(memory->spareBlocks(), StillMemory::kMaxSpare);

    // Another size (the camera switched): the old blocks go.
    const Image other = memory->copy(2, 2, pixels.data(), 8);
    EXPECT_EQ(memory->spareBlocks(), StillMemory::kMaxSpare);  // still of the old size
    memory->prepare(2, 2);
    EXPECT_EQ(memory->spareBlocks(), 1u);

    EXPECT_FALSE(memory->copy(0, 2, pixels.data(), 8));  // nothing to copy
}

TEST(StillMemoryTest, AStillThatOutlivesItsMemoryFreesItsOwnBlock) {
    Image still;
    const auto pixels = rows(2, 8, 7);
    {
        const auto memory = StillMemory::create();
        still = memory->copy(2, 2, pixels.data(), 8);
    }
    EXPECT_EQ(still.bitmap().row(1)[7], 22);
    still = Image();  // under the sanitizers: neither leaked nor freed twice
}

}  // namespace
}  // namespace kestrel
