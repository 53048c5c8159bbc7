#include "core/imaging/CAutoNightVisionImageEffect.h"

#include "core/imaging/ParallelRows.h"
#include "core/imaging/UColorSpace.h"

#include <cstring>
#include <vector>

namespace kestrel {

void CAutoNightVisionImageEffect::SetInput(std::uint8_t* data, std::uint32_t width,
                                           std::uint32_t height, std::size_t bytesPerRow) {
    CYImageEffect::SetInput(data, width, height, bytesPerRow);
    histogram_.fill(0);
    map_.fill(0);
    low_ = high_ = 0;
}

int CAutoNightVisionImageEffect::ProcessSelf() {
    buildHistogram();
    findThresholds();
    buildMap();
    applyMap();
    return 1;
}

namespace {

using V8u = std::uint32_t __attribute__((vector_size(32)));
using V8i = std::int32_t __attribute__((vector_size(32)));
using V8f = float __attribute__((vector_size(32)));
using Counts = std::array<std::uint32_t, 256>;

constexpr std::uint32_t kStep = 8;  // pixels per vector step

// The luma of the colour-space tables, (66 R + 129 G + 25 B + 4096) >> 8,
// of eight pixels: for bytes it lies in 16..235, so the tables' clipping
// never applies.
// (By reference: vectors this wide are passed by value differently with and
// without AVX.)
inline void luma8(const V8u& p, V8u& y) {
    y = ((p >> 16 & 0xFFu) * 66u + (p >> 8 & 0xFFu) * 129u + (p & 0xFFu) * 25u + 4096u) >> 8;
}

std::uint8_t lumaOf(const std::uint8_t* p) { return UColorSpace::luma(p[2], p[1], p[0]); }

// Counts the lumas of a row into four partial histograms (so that runs of
// equal lumas do not wait on one counter).
// An AVX2 copy beside the portable one, chosen when the program loads (not
// under the sanitizers, whose runtime is not up yet when the choice runs).
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__) && \
    !defined(__SANITIZE_ADDRESS__)
#define KESTREL_WITH_AVX2_COPY __attribute__((target_clones("avx2", "default")))
#else
#define KESTREL_WITH_AVX2_COPY
#endif

KESTREL_WITH_AVX2_COPY
void countRow(const std::uint8_t* row, std::uint32_t count, std::array<Counts, 4>& h) {
    std::uint32_t x = 0;
    for (; x + kStep <= count; x += kStep) {
        V8u block;
        std::memcpy(&block, row + x * 4, sizeof block);
        V8u y;
        luma8(block, y);
        std::uint32_t l[kStep];
        std::memcpy(l, &y, sizeof l);
        ++h[0][l[0]];
        ++h[1][l[1]];
        ++h[2][l[2]];
        ++h[3][l[3]];
        ++h[0][l[4]];
        ++h[1][l[5]];
        ++h[2][l[6]];
        ++h[3][l[7]];
    }
    for (; x < count; ++x) ++h[0][lumaOf(row + x * 4)];
}

// The map as arithmetic, eight pixels at a time: with n = max(j - low, 0)
// and d = high - low > 0, (n × 255) / d truncated is the integer part of
// (n × 255 + 0.5) × (1 / d) in single precision (the half keeps a quotient
// that is a whole number off the edge: the float error, below 3e-5 for
// quotients up to 255, is far less than the 0.5 / d margin), then 255 at
// most. `map` serves the pixels left over at the row's end.
KESTREL_WITH_AVX2_COPY
void stretchRow(std::uint8_t* row, std::uint32_t count, int low, float inverse,
                const std::array<std::uint8_t, 256>& map) {
    std::uint32_t x = 0;
    for (; x + kStep <= count; x += kStep) {
        V8u p;
        std::memcpy(&p, row + x * 4, sizeof p);
        V8u y;
        luma8(p, y);
        V8i n = reinterpret_cast<V8i>(y) - low;
        n = n < 0 ? 0 : n;
        const V8f q = (__builtin_convertvector(n * 255, V8f) + 0.5f) * inverse;
        V8i g = __builtin_convertvector(q, V8i);
        g = g > 255 ? 255 : g;
        const V8u out = (p & 0xFF000000u) | reinterpret_cast<V8u>(g | g << 8 | g << 16);
        std::memcpy(row + x * 4, &out, sizeof out);
    }
    for (; x < count; ++x) {
        std::uint8_t* p = row + x * 4;
        p[0] = p[1] = p[2] = map[lumaOf(p)];  // the fourth byte stays
    }
}

}  // namespace

// Two passes over the pixels, the fewest the stretch allows (the map needs
// every luma first): one that only reads, for the histogram, and one that
// reads and writes, for the map. Lumas are computed in each pass rather
// than stored between them.
void CAutoNightVisionImageEffect::buildHistogram() {
    std::vector<std::array<Counts, 4>> partial(static_cast<std::size_t>(ParallelRows::bandCount()));
    ParallelRows::run(static_cast<int>(height_), [&](int begin, int end, int band) {
        auto& h = partial[static_cast<std::size_t>(band)];
        for (auto& counts : h) counts.fill(0);
        for (auto y = static_cast<std::uint32_t>(begin); y < static_cast<std::uint32_t>(end); ++y)
            countRow(data_ + y * bytesPerRow_, width_, h);
    });
    histogram_.fill(0);
    for (const auto& h : partial)
        for (const Counts& counts : h)
            for (std::size_t j = 0; j < 256; ++j) histogram_[j] += counts[j];
}

void CAutoNightVisionImageEffect::findThresholds() {
    low_ = 0;
    while (low_ < 255 && histogram_[static_cast<std::size_t>(low_)] == 0) ++low_;
    // The brightest 0.5 % of the pixels lie above `high`.
    const std::int64_t brightest = static_cast<std::int64_t>(width_) * height_ / 200;
    std::int64_t sum = 0;
    high_ = 235;
    for (int j = 235; j >= 0; --j) {
        sum += histogram_[static_cast<std::size_t>(j)];
        if (sum > brightest) {
            high_ = j;
            break;
        }
    }
}

void CAutoNightVisionImageEffect::buildMap() {
    for (int j = 0; j < 256; ++j) {
        int value = 0;
        if (j < low_)
            value = 0;
        else if (j > high_)
            value = 255;
        else if (high_ == low_)
            value = 255;  // one uniform luma: no stretch to make
        else
            value = (j - low_) * 255 / (high_ - low_);
        map_[static_cast<std::size_t>(j)] = static_cast<std::uint8_t>(value);
    }
}

void CAutoNightVisionImageEffect::applyMap() {
    if (high_ <= low_) {  // one uniform luma: the table, pixel by pixel
        ParallelRows::run(static_cast<int>(height_), [&](int begin, int end, int) {
            for (auto y = static_cast<std::uint32_t>(begin); y < static_cast<std::uint32_t>(end); ++y) {
                std::uint8_t* p = data_ + y * bytesPerRow_;
                for (std::uint32_t x = 0; x < width_; ++x, p += 4) p[0] = p[1] = p[2] = map_[lumaOf(p)];
            }
        });
        return;
    }
    const float inverse = 1.0f / static_cast<float>(high_ - low_);
    ParallelRows::run(static_cast<int>(height_), [&](int begin, int end, int) {
        for (auto y = static_cast<std::uint32_t>(begin); y < static_cast<std::uint32_t>(end); ++y)
            stretchRow(data_ + y * bytesPerRow_, width_, low_, inverse, map_);
    });
}

}  // namespace kestrel
