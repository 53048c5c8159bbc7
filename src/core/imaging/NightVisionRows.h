#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kestrel {

// Night vision's passes over rows of 32-bit pixels (bytes blue, green, red,
// a fourth left as it is), each a vector kernel chosen for the processor
// when first called (Highway: AVX-512, AVX2, SSE4 on x86, NEON on ARM),
// beside the plain loop it matches on every target. The luma is the colour
// space's, (66 R + 129 G + 25 B + 4096) >> 8: for bytes it lies in 16..235.
class NightVisionRows {
public:
    // Four partial histograms (so that runs of equal lumas do not wait on one
    // counter), each with a 257th bin for lanes that are not counted. What
    // counts is their sum.
    using Counts = std::array<std::uint32_t, 257>;
    using Histograms = std::array<Counts, 4>;
    static constexpr std::uint32_t kIgnored = 256;

    // The top of the histogram of a band of rows: the lumas above a cut, the
    // number equal to it (one luma can fill a large share of a picture: a
    // white sky), and the smallest luma.
    struct TopCounts {
        Histograms above{};
        std::uint64_t atCut = 0;
        std::uint32_t least = 255;
    };

    static std::uint32_t luma(const std::uint8_t* pixel);

    // Adds the luma of each of `count` pixels to `histograms`.
    static void countRow(const std::uint8_t* row, std::uint32_t count, Histograms& histograms);
    // Adds the top of a band of `height` rows of `width` pixels to `counts`.
    static void countTopBand(const std::uint8_t* rows, std::size_t bytesPerRow,
                             std::uint32_t height, std::uint32_t width, std::uint32_t cut,
                             TopCounts& counts);
    // Each pixel's three colour bytes become the stretched grey of its luma:
    // map[luma], which for lumas from `low` up is min((luma − low) × 255 / d,
    // 255) with 1 / d = `inverse` (d = high − low > 0), 0 below.
    static void stretchRow(std::uint8_t* row, std::uint32_t count, int low, float inverse,
                           const std::array<std::uint8_t, 256>& map);

    // The same as plain loops: the reference every target must match.
    static void countRowReference(const std::uint8_t* row, std::uint32_t count,
                                  Histograms& histograms);
    static void countTopBandReference(const std::uint8_t* rows, std::size_t bytesPerRow,
                                      std::uint32_t height, std::uint32_t width, std::uint32_t cut,
                                      TopCounts& counts);
    static void stretchRowReference(std::uint8_t* row, std::uint32_t count,
                                    const std::array<std::uint8_t, 256>& map);
};

}  // namespace kestrel
