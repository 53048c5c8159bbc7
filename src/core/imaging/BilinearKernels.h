#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrel {

// The bilinear scaler's two passes over a row, each a vector kernel chosen
// for the processor when first called (Highway: AVX-512, AVX2, SSE4 on x86,
// NEON on ARM), beside the plain loop whose bytes it gives on every target.
//
// Weights are fixed point. Rows: a weight w of 1..127 (out of 128) for the
// lower row gives upper + (((lower − upper) × w + 64) >> 7) for every byte.
// Columns: a weight w of 0..64 for the right neighbour gives
// (left × (64 − w) + right × w + 32) >> 6 for each colour byte, and 0xff for
// the fourth.
class BilinearKernels {
public:
    static constexpr int kRowBits = 7;  // (lower − upper) × weight stays within 16 bits
    static constexpr int kRowOne = 1 << kRowBits;
    static constexpr int kColumnBits = 6;
    static constexpr int kColumnOne = 1 << kColumnBits;

    // The column weight w of a target pixel as two signed 16-bit fixed point
    // factors (w / 64 out of 2¹⁵, the largest 2¹⁵ − 1), and back.
    static std::uint32_t columnFactors(int weight);
    static int columnWeight(std::uint32_t factors);

    // `bytes` bytes of two rows blended into `out`.
    static void blendRows(const std::uint8_t* upper, const std::uint8_t* lower, int weight,
                          std::uint8_t* out, std::size_t bytes);
    // Target pixels [from, to) of a row: pixel x from the source pixel at
    // byte offset offsets[x] of `row` and the one `next` bytes on (4, or 0
    // for a source one pixel wide), weighted by factors[x].
    static void blendColumns(const std::uint8_t* row, std::size_t next, const std::int64_t* offsets,
                             const std::uint32_t* factors, std::size_t from, std::size_t to,
                             std::uint8_t* out);

    // The same as plain loops: the reference every target must match, and
    // the portable path.
    static void blendRowsReference(const std::uint8_t* upper, const std::uint8_t* lower, int weight,
                                   std::uint8_t* out, std::size_t bytes);
    static void blendColumnsReference(const std::uint8_t* row, std::size_t next,
                                      const std::int64_t* offsets, const std::uint32_t* factors,
                                      std::size_t from, std::size_t to, std::uint8_t* out);
};

}  // namespace kestrel
