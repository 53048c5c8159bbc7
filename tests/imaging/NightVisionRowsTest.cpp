#include "core/imaging/NightVisionRows.h"
#include "core/imaging/UColorSpace.h"
#include "support/SimdTargets.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace kestrel {
namespace {

using Histograms = NightVisionRows::Histograms;
using test::noiseBytes;
using test::SimdTargets;

// Every width up to a few vectors of every target (4 to 16 pixels a step,
// four steps at a time when counting the top), then real rows'.
std::vector<std::uint32_t> widths() {
    std::vector<std::uint32_t> all;
    for (std::uint32_t n = 1; n <= 70; ++n)
        all.push_back(n);
    for (const std::uint32_t n : {127u, 129u, 1001u})
        all.push_back(n);
    return all;
}

// The four histograms summed: the partial ones are spread over lanes
// differently on every target. The bin of the lanes not counted is left out.
std::array<std::uint64_t, 256> summed(const Histograms& h) {
    std::array<std::uint64_t, 256> sum{};
    for (const NightVisionRows::Counts& counts : h)
        for (std::size_t j = 0; j < 256; ++j)
            sum[j] += counts[j];
    return sum;
}

TEST(NightVisionRowsTest, CountingARowGivesTheReferenceHistogram) {
    const std::vector<std::uint8_t> pixels = noiseBytes(4 * 1004, 5);
    SimdTargets::forEach([&](const SimdTargets::Target&) {
        for (const std::uint32_t width : widths()) {
            // Starting a pixel in: rows need not lie on a vector boundary.
            Histograms fast{}, plain{};
            NightVisionRows::countRow(pixels.data() + 4, width, fast);
            NightVisionRows::countRowReference(pixels.data() + 4, width, plain);
            ASSERT_EQ(summed(fast), summed(plain)) << width << " pixels";
            std::uint64_t total = 0;
            for (const std::uint64_t n : summed(fast))
                total += n;
            ASSERT_EQ(total, width);
        }
    });
}

TEST(NightVisionRowsTest, CountingTheTopOfABandGivesTheReferenceCounts) {
    // Rows padded past their pixels (the padding holds bright pixels no count
    // may see), cuts from below the lumas (16..235) to above them.
    constexpr std::uint32_t kHeight = 5;
    const std::vector<std::uint8_t> noise = noiseBytes(4 * 1100 * kHeight, 8);
    SimdTargets::forEach([&](const SimdTargets::Target&) {
        for (const std::uint32_t width : widths())
            for (const std::uint32_t cut : {0u, 16u, 120u, 200u, 235u, 255u}) {
                const std::size_t bytesPerRow = 4 * static_cast<std::size_t>(width) + 12;
                std::vector<std::uint8_t> rows(bytesPerRow * kHeight, 0xff);
                for (std::uint32_t r = 0; r < kHeight; ++r)
                    std::copy_n(noise.begin() + static_cast<std::ptrdiff_t>(4 * 1100 * r),
                                4 * width,
                                rows.begin() + static_cast<std::ptrdiff_t>(r * bytesPerRow));
                NightVisionRows::TopCounts fast, plain;
                NightVisionRows::countTopBand(rows.data(), bytesPerRow, kHeight, width, cut, fast);
                NightVisionRows::countTopBandReference(rows.data(), bytesPerRow, kHeight, width,
                                                       cut, plain);
                ASSERT_EQ(summed(fast.above), summed(plain.above))
                    << width << " pixels, cut " << cut;
                ASSERT_EQ(fast.atCut, plain.atCut) << width << " pixels, cut " << cut;
                ASSERT_EQ(fast.least, plain.least) << width << " pixels, cut " << cut;
                // Only lumas above the cut are in the histograms.
                for (std::uint32_t j = 0; j <= cut && j < 256; ++j)
                    ASSERT_EQ(summed(fast.above)[j], 0u);
            }
    });
}

// The engine's map for a stretch from `low` to `high`.
std::array<std::uint8_t, 256> stretchMap(int low, int high) {
    std::array<std::uint8_t, 256> map{};
    for (int j = 0; j < 256; ++j)
        map[static_cast<std::size_t>(j)] =
            static_cast<std::uint8_t>(j < low    ? 0
                                      : j > high ? 255
                                                 : (j - low) * 255 / (high - low));
    return map;
}

TEST(NightVisionRowsTest, StretchGivesTheMapsBytesForEveryStretch) {
    // A pixel of every luma the colour space makes (16..235), then noise; for
    // every stretch low < high the lumas can have, the arithmetic of the
    // vector kernels must land on the map's integer quotient each time.
    std::vector<std::uint8_t> row;
    for (int y = 16; y <= 235; ++y)
        for (int g = 0; g < 256; ++g) {
            const auto v = static_cast<std::uint8_t>(g);
            const std::uint8_t blue =
                UColorSpace::luma(v, v, v) == y ? v : static_cast<std::uint8_t>(g ^ 1);
            if (UColorSpace::luma(v, v, blue) != y) continue;
            row.insert(row.end(), {blue, v, v, static_cast<std::uint8_t>(y)});
            break;
        }
    ASSERT_EQ(row.size(), 4u * 220) << "a pixel for every luma";
    const std::vector<std::uint8_t> noise = noiseBytes(4 * 37, 12);
    row.insert(row.end(), noise.begin(), noise.end());
    const auto count = static_cast<std::uint32_t>(row.size() / 4);
    std::vector<std::uint8_t> fast, plain;
    for (int low = 16; low < 235; ++low)
        for (int high = low + 1; high <= 235; ++high) {
            const std::array<std::uint8_t, 256> map = stretchMap(low, high);
            const float inverse = 1.0f / static_cast<float>(high - low);
            plain = row;
            NightVisionRows::stretchRowReference(plain.data(), count, map);
            SimdTargets::forEach([&](const SimdTargets::Target&) {
                fast = row;
                NightVisionRows::stretchRow(fast.data(), count, low, inverse, map);
                ASSERT_EQ(fast, plain) << "stretch " << low << ".." << high;
            });
            if (HasFatalFailure()) return;
        }
}

TEST(NightVisionRowsTest, StretchKeepsTheFourthByteAndTheBytesBeyondTheRow) {
    const std::array<std::uint8_t, 256> map = stretchMap(30, 180);
    SimdTargets::forEach([&](const SimdTargets::Target&) {
        for (const std::uint32_t width : widths()) {
            std::vector<std::uint8_t> fast = noiseBytes(4 * width + 64, width);
            const std::vector<std::uint8_t> before = fast;
            std::vector<std::uint8_t> plain = fast;
            NightVisionRows::stretchRow(fast.data(), width, 30, 1.0f / 150, map);
            NightVisionRows::stretchRowReference(plain.data(), width, map);
            ASSERT_EQ(fast, plain) << width << " pixels";
            for (std::size_t i = 3; i < 4 * width; i += 4)
                ASSERT_EQ(fast[i], before[i]);
            ASSERT_TRUE(
                std::equal(fast.begin() + 4 * width, fast.end(), before.begin() + 4 * width));
        }
    });
}

}  // namespace
}  // namespace kestrel
