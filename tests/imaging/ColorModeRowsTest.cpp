#include "core/imaging/ColorModeRows.h"
#include "support/SimdTargets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace kestrel {
namespace {

using test::SimdTargets;

// A colour for every grey level that no other level shares, so that a grey
// off by one shows.
std::array<std::uint32_t, 256> randomColours() {
    std::mt19937 random(26);
    std::array<std::uint32_t, 256> colours{};
    for (std::uint32_t v = 0; v < 256; ++v)
        colours[v] = (random() & 0x00ffff00u) | v;
    return colours;
}

std::vector<std::uint32_t> noiseWords(std::size_t count, std::uint32_t seed) {
    const std::vector<std::uint8_t> bytes = test::noiseBytes(4 * count, seed);
    std::vector<std::uint32_t> words(count);
    std::memcpy(words.data(), bytes.data(), bytes.size());
    return words;
}

constexpr std::uint32_t kGuard = 0xA5A5A5A5u;
constexpr std::size_t kGuardWords = 17;

TEST(ColorModeRowsTest, EveryModeGivesTheReferenceWordsForEveryLength) {
    // Modes 0 and 9 leave a row as it is; the rest each have a kernel. Every
    // length up to a few vectors of every target (4 to 16 words a step), then
    // a real row's, from a word off the vector alignment.
    std::vector<std::size_t> lengths;
    for (std::size_t n = 1; n <= 50; ++n)
        lengths.push_back(n);
    for (const std::size_t n : {255u, 257u, 4032u})
        lengths.push_back(n);
    const std::array<std::uint32_t, 256> colours = randomColours();
    const std::vector<std::uint32_t> input = noiseWords(4100, 7);
    SimdTargets::forEach([&](const SimdTargets::Target&) {
        for (int mode = 0; mode <= 9; ++mode)
            for (const std::size_t count : lengths) {
                std::vector<std::uint32_t> fast(count + 1 + kGuardWords, kGuard);
                std::copy(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(count),
                          fast.begin() + 1);
                std::vector<std::uint32_t> plain(fast);
                ColorModeRows::apply(mode, colours.data(), fast.data() + 1, count);
                ColorModeRows::applyReference(mode, colours.data(), plain.data() + 1, count);
                ASSERT_EQ(fast, plain) << "mode " << mode << ", " << count << " pixels";
            }
    });
}

TEST(ColorModeRowsTest, GreyTintAndHardLightOfEveryColourMatchTheReference) {
    // All 2²⁴ colours (the fourth byte varying too), a block at a time: the
    // float grey and the saturated hard light are where targets could part.
    const std::array<std::uint32_t, 256> colours = randomColours();
    constexpr std::uint32_t kBlock = 1u << 20;
    std::vector<std::uint32_t> input(kBlock), plain(kBlock), fast(kBlock);
    for (const int mode : {1, 2, 3})
        for (std::uint32_t start = 0; start < (1u << 24); start += kBlock) {
            for (std::uint32_t i = 0; i < kBlock; ++i)
                input[i] = (start + i) | (i * 0x9Du) << 24;
            plain = input;
            ColorModeRows::applyReference(mode, colours.data(), plain.data(), kBlock);
            SimdTargets::forEach([&](const SimdTargets::Target&) {
                fast = input;
                ColorModeRows::apply(mode, colours.data(), fast.data(), kBlock);
                ASSERT_EQ(fast, plain) << "mode " << mode << ", colours from " << start;
            });
            if (HasFatalFailure()) return;
        }
}

TEST(ColorModeRowsTest, GreyIsTheLuminosityBlendsLevel) {
    // 0.3 R + 0.59 G + 0.11 B over 255, truncated at 256 levels, white 255:
    // within the float error of the exact value it never strays a level.
    for (std::uint32_t c = 0; c < (1u << 24); c += 997) {
        const double exact =
            (0.3 * (c >> 16 & 0xff) + 0.59 * (c >> 8 & 0xff) + 0.11 * (c & 0xff)) / 255;
        const double level = std::min(exact * 256, 255.0);
        ASSERT_LE(std::abs(static_cast<double>(ColorModeRows::greyOf(c)) - std::floor(level)), 1.0)
            << c;
    }
    EXPECT_EQ(ColorModeRows::greyOf(0x00ffffffu), 255u);
    EXPECT_EQ(ColorModeRows::greyOf(0xff000000u), 0u);  // the fourth byte plays no part
}

}  // namespace
}  // namespace kestrel
