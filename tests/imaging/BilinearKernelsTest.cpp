#include "core/imaging/BilinearKernels.h"
#include "core/imaging/BilinearScaler.h"  // which target runs
#include "support/SimdTargets.h"

#include <gtest/gtest.h>
#include <hwy/highway.h>

#include <cstdint>
#include <random>
#include <vector>

namespace kestrel {
namespace {

using test::noiseBytes;
using test::SimdTargets;

// Every length up to a few vectors of every target (the vector steps are 8
// to 32 bytes, 4 to 16 pixels: each length ± 1 and the tails behind them),
// then lengths of real rows.
std::vector<std::size_t> lengths() {
    std::vector<std::size_t> all;
    for (std::size_t n = 1; n <= 70; ++n)
        all.push_back(n);
    for (const std::size_t n : {127u, 129u, 401u, 1283u, 4u * 949u + 4u})
        all.push_back(n);
    return all;
}

constexpr std::uint8_t kGuard = 0xA5;
constexpr std::size_t kGuardBytes = 64;

TEST(BilinearKernelsTest, ScalarTargetRunsNoVectorPath) {
    // The forcing the other tests rely on really switches the dispatch.
    bool sawScalar = false;
    SimdTargets::forEach([&](const SimdTargets::Target& target) {
        EXPECT_EQ(BilinearScaler::hasVectorPath(), target.bits != HWY_SCALAR);
        sawScalar = sawScalar || target.bits == HWY_SCALAR;
    });
#if HWY_ARCH_X86
    EXPECT_TRUE(sawScalar) << "x86 builds keep the scalar fallback";
    EXPECT_GE(SimdTargets::all().size(), 3u) << "SSSE3 and SSE4 at the least";
#endif
}

TEST(BilinearKernelsTest, RowBlendGivesTheReferenceBytesForEveryWeightAndLength) {
    const std::vector<std::uint8_t> upper = noiseBytes(5000, 1);
    const std::vector<std::uint8_t> lower = noiseBytes(5000, 2);
    SimdTargets::forEach([&](const SimdTargets::Target&) {
        for (int weight = 1; weight < BilinearKernels::kRowOne; ++weight)
            for (const std::size_t bytes : lengths()) {
                // Rows that start off any alignment, and an output whose
                // bytes beyond the row must stay untouched.
                const std::uint8_t* a = upper.data() + weight % 5;
                const std::uint8_t* b = lower.data() + weight % 3;
                std::vector<std::uint8_t> fast(bytes + kGuardBytes, kGuard), plain(fast);
                BilinearKernels::blendRows(a, b, weight, fast.data(), bytes);
                BilinearKernels::blendRowsReference(a, b, weight, plain.data(), bytes);
                ASSERT_EQ(fast, plain) << "weight " << weight << ", " << bytes << " bytes";
            }
    });
}

// Taps as the scaler makes them: offsets of pixels whose right neighbour is
// in the row, any weight from 0 to 64 (both ends included).
struct Taps {
    std::vector<std::int64_t> offsets;
    std::vector<std::uint32_t> factors;
};

Taps randomTaps(std::size_t count, std::size_t sourcePixels, std::uint32_t seed) {
    std::mt19937 random(seed);
    Taps taps;
    for (std::size_t x = 0; x < count; ++x) {
        const auto index =
            static_cast<std::int64_t>(x == 0 ? sourcePixels - 2 : random() % (sourcePixels - 1));
        const int weight = x % 7 == 1 ? 0 : x % 7 == 2 ? 64 : static_cast<int>(random() % 65);
        taps.offsets.push_back(4 * index);
        taps.factors.push_back(BilinearKernels::columnFactors(weight));
    }
    return taps;
}

TEST(BilinearKernelsTest, ColumnBlendGivesTheReferenceBytesForEveryLength) {
    constexpr std::size_t kSourcePixels = 300;
    const std::vector<std::uint8_t> row = noiseBytes(4 * kSourcePixels, 3);
    SimdTargets::forEach([&](const SimdTargets::Target&) {
        for (const std::size_t count : lengths())
            for (const std::size_t next : {std::size_t{4}, std::size_t{0}})
                for (const std::size_t from : {std::size_t{0}, std::size_t{3}}) {
                    if (from >= count) continue;
                    const Taps taps =
                        randomTaps(count, kSourcePixels, static_cast<std::uint32_t>(count));
                    std::vector<std::uint8_t> fast(4 * count + kGuardBytes, kGuard), plain(fast);
                    BilinearKernels::blendColumns(row.data(), next, taps.offsets.data(),
                                                  taps.factors.data(), from, count, fast.data());
                    BilinearKernels::blendColumnsReference(row.data(), next, taps.offsets.data(),
                                                           taps.factors.data(), from, count,
                                                           plain.data());
                    ASSERT_EQ(fast, plain) << count << " pixels from " << from << ", next " << next;
                }
    });
}

TEST(BilinearKernelsTest, ColumnBlendWeightsAndRoundingAreExact) {
    // One pixel, left 0x00 / 0xff / 0x10 / 0x80 and right the reverse, at
    // every weight: (left × (64 − w) + right × w + 32) >> 6 and an opaque fourth byte.
    const std::vector<std::uint8_t> row = {0x00, 0xff, 0x10, 0x80, 0xff, 0x00, 0x80, 0x10};
    SimdTargets::forEach([&](const SimdTargets::Target&) {
        for (int weight = 0; weight <= 64; ++weight) {
            // A whole vector of the same pixel, so that no target leaves it to its tail.
            const std::vector<std::int64_t> offsets(32, 0);
            const std::vector<std::uint32_t> factors(32, BilinearKernels::columnFactors(weight));
            std::vector<std::uint8_t> out(4 * 32);
            BilinearKernels::blendColumns(row.data(), 4, offsets.data(), factors.data(), 0, 32,
                                          out.data());
            for (std::size_t x = 0; x < 32; ++x) {
                for (std::size_t c = 0; c < 3; ++c)
                    ASSERT_EQ(out[4 * x + c],
                              (row[c] * (64 - weight) + row[4 + c] * weight + 32) >> 6)
                        << "weight " << weight << ", channel " << c;
                ASSERT_EQ(out[4 * x + 3], 0xff);
            }
        }
    });
}

}  // namespace
}  // namespace kestrel
