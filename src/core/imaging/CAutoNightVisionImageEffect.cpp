#include "core/imaging/CAutoNightVisionImageEffect.h"

#include "core/imaging/Avx2Copy.h"
#include "core/imaging/ParallelRows.h"
#include "core/imaging/UColorSpace.h"

#include <algorithm>
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
    // Most pictures: the top of the histogram is enough (see sampleCut).
    const int cut = sampleCut();
    if (cut >= 0) countTop(cut);
    if (cut < 0 || !findHigh(cut)) {
        countAll();
        findHigh(0);
    }
    buildMap();
    applyMap();
    return 1;
}

namespace {

using V8u = std::uint32_t __attribute__((vector_size(32)));
using V8i = std::int32_t __attribute__((vector_size(32)));
using V8f = float __attribute__((vector_size(32)));
// Four partial histograms (so that runs of equal lumas do not wait on one
// counter), each with a 257th bin for the lanes that are not counted.
using Counts = std::array<std::uint32_t, 257>;
using Tables = std::array<Counts, 4>;

constexpr std::uint32_t kStep = 8;    // pixels per vector step
constexpr std::uint32_t kIgnored = 256;  // the bin of the lanes not counted

// The luma of the colour-space tables, (66 R + 129 G + 25 B + 4096) >> 8,
// of eight pixels: for bytes it lies in 16..235, so the tables' clipping
// never applies. 25 B + 66 R come from one multiply: (B + R·2¹⁶) × (66 +
// 25·2¹⁶) holds 66 B in its lower and 25 B + 66 R in its upper 16 bits,
// neither of which overflows.
// (By reference: vectors this wide are passed by value differently with and
// without AVX.)
inline void luma8(const V8u& p, V8u& y) {
    y = ((((p & 0x00FF00FFu) * 0x00190042u) >> 16) + (p >> 8 & 0xFFu) * 129u + 4096u) >> 8;
}

std::uint8_t lumaOf(const std::uint8_t* p) { return UColorSpace::luma(p[2], p[1], p[0]); }

inline void countLanes(const V8u& bins, Tables& h) {
    std::uint32_t l[kStep];
    std::memcpy(l, &bins, sizeof l);
    ++h[0][l[0]];
    ++h[1][l[1]];
    ++h[2][l[2]];
    ++h[3][l[3]];
    ++h[0][l[4]];
    ++h[1][l[5]];
    ++h[2][l[6]];
    ++h[3][l[7]];
}

inline bool anyLane(const V8u& mask) {
    std::uint64_t q[4];
    std::memcpy(q, &mask, sizeof q);
    return (q[0] | q[1] | q[2] | q[3]) != 0;
}

// Counts every luma of a row.
KESTREL_WITH_AVX2_COPY
void countRow(const std::uint8_t* row, std::uint32_t count, Tables& h) {
    std::uint32_t x = 0;
    for (; x + kStep <= count; x += kStep) {
        V8u block;
        std::memcpy(&block, row + x * 4, sizeof block);
        V8u y;
        luma8(block, y);
        countLanes(y, h);
    }
    for (; x < count; ++x) ++h[0][lumaOf(row + x * 4)];
}

// The top of the histogram of a band of rows: the lumas above `cut` one by
// one (few pixels, whole groups of eight skipped at once), those equal to
// `cut` in vector counters (one luma can fill a large share of a picture: a
// white sky), and the smallest luma.
struct TopCounts {
    Tables above{};
    std::uint64_t atCut = 0;
    std::uint32_t least = 255;
};

KESTREL_WITH_AVX2_COPY
void countTopBand(const std::uint8_t* rows, std::size_t bytesPerRow, std::uint32_t height,
                  std::uint32_t width, std::uint32_t cut, TopCounts& c) {
    V8u atCut{};  // lane counts of one band stay far below 2³²
    V8u least{};
    least += 255u;
    const auto count8 = [&](const std::uint8_t* pixels, V8u& y, V8u& above) {
        V8u block;
        std::memcpy(&block, pixels, sizeof block);
        luma8(block, y);
        least = y < least ? y : least;
        atCut -= reinterpret_cast<V8u>(y == cut);  // lanes that are equal hold all ones
        above = reinterpret_cast<V8u>(y > cut);
    };
    const auto countAbove = [&](const V8u& y, const V8u& above) {
        if (anyLane(above)) countLanes((y & above) | (kIgnored & ~above), c.above);
    };
    for (std::uint32_t r = 0; r < height; ++r) {
        const std::uint8_t* row = rows + r * bytesPerRow;
        std::uint32_t x = 0;
        // Four groups of eight at a time: most have no luma above the cut.
        for (; x + 4 * kStep <= width; x += 4 * kStep) {
            V8u y0, y1, y2, y3, a0, a1, a2, a3;
            count8(row + x * 4, y0, a0);
            count8(row + (x + kStep) * 4, y1, a1);
            count8(row + (x + 2 * kStep) * 4, y2, a2);
            count8(row + (x + 3 * kStep) * 4, y3, a3);
            if (!anyLane(a0 | a1 | a2 | a3)) continue;
            countAbove(y0, a0);
            countAbove(y1, a1);
            countAbove(y2, a2);
            countAbove(y3, a3);
        }
        for (; x + kStep <= width; x += kStep) {
            V8u y, above;
            count8(row + x * 4, y, above);
            countAbove(y, above);
        }
        for (; x < width; ++x) {
            const std::uint32_t y = lumaOf(row + x * 4);
            c.least = std::min(c.least, y);
            if (y == cut) ++c.atCut;
            if (y > cut) ++c.above[0][y];
        }
    }
    for (std::uint32_t lane = 0; lane < kStep; ++lane) {
        c.atCut += atCut[lane];
        c.least = std::min(c.least, least[lane]);
    }
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
        const V8f q = (__builtin_convertvector((n << 8) - n, V8f) + 0.5f) * inverse;
        V8i g = __builtin_convertvector(q, V8i);
        g = g > 255 ? 255 : g;
        // The grey into the three colour bytes, the fourth byte kept.
        const V8u out = (p & 0xFF000000u) | reinterpret_cast<V8u>(g) * 0x010101u;
        std::memcpy(row + x * 4, &out, sizeof out);
    }
    for (; x < count; ++x) {
        std::uint8_t* p = row + x * 4;
        p[0] = p[1] = p[2] = map[lumaOf(p)];  // the fourth byte stays
    }
}

// Every sampled row is this many rows from the next; pictures of fewer rows
// than kMinSampledRows samples are counted whole.
constexpr std::uint32_t kSampleStep = 32;
constexpr std::uint32_t kMinSampledRows = 16;
// The cut leaves about this share of the sampled pixels above or at it: four
// times the brightest share the stretch looks for.
constexpr std::int64_t kCutShareDivisor = 50;

void addTables(const Tables& tables, std::array<std::int64_t, 256>& into) {
    for (const Counts& counts : tables)
        for (std::size_t j = 0; j < 256; ++j) into[j] += counts[j];
}

}  // namespace

// The stretch needs the smallest luma and the lumas of the brightest 0.5 %
// of the pixels, not the whole histogram: a few rows spread over the
// picture tell where that top begins, and the full pass then counts exactly
// only the lumas from there up, skipping most pixels eight at a time.
// Should the sample have misjudged the top, the whole histogram is counted.
// Both ways give the same thresholds.
int CAutoNightVisionImageEffect::sampleCut() const {
    const std::uint32_t sampled = height_ / kSampleStep;
    if (sampled < kMinSampledRows) return -1;
    Tables sample{};
    for (std::uint32_t i = 0; i < sampled; ++i)
        countRow(data_ + (i * kSampleStep + kSampleStep / 2) * bytesPerRow_, width_, sample);
    std::array<std::int64_t, 256> counts{};
    addTables(sample, counts);
    const std::int64_t share = static_cast<std::int64_t>(sampled) * width_ / kCutShareDivisor;
    std::int64_t sum = 0;
    for (int j = 235; j > 0; --j) {
        sum += counts[static_cast<std::size_t>(j)];
        if (sum > share) return j;
    }
    return -1;
}

void CAutoNightVisionImageEffect::countTop(int cut) {
    std::vector<TopCounts> partial(static_cast<std::size_t>(ParallelRows::bandCount()));
    ParallelRows::run(static_cast<int>(height_), [&](int begin, int end, int band) {
        countTopBand(data_ + static_cast<std::size_t>(begin) * bytesPerRow_, bytesPerRow_,
                     static_cast<std::uint32_t>(end - begin), width_, static_cast<std::uint32_t>(cut),
                     partial[static_cast<std::size_t>(band)]);
    });
    histogram_.fill(0);
    std::uint32_t least = 255;
    for (const TopCounts& counts : partial) {
        addTables(counts.above, histogram_);
        histogram_[static_cast<std::size_t>(cut)] += static_cast<std::int64_t>(counts.atCut);
        least = std::min(least, counts.least);
    }
    low_ = static_cast<int>(least);
}

void CAutoNightVisionImageEffect::countAll() {
    std::vector<Tables> partial(static_cast<std::size_t>(ParallelRows::bandCount()));
    ParallelRows::run(static_cast<int>(height_), [&](int begin, int end, int band) {
        Tables& h = partial[static_cast<std::size_t>(band)];
        for (auto y = static_cast<std::uint32_t>(begin); y < static_cast<std::uint32_t>(end); ++y)
            countRow(data_ + y * bytesPerRow_, width_, h);
    });
    histogram_.fill(0);
    for (const Tables& h : partial) addTables(h, histogram_);
    low_ = 0;
    while (low_ < 255 && histogram_[static_cast<std::size_t>(low_)] == 0) ++low_;
}

bool CAutoNightVisionImageEffect::findHigh(int from) {
    // The brightest 0.5 % of the pixels lie above `high`.
    const std::int64_t brightest = static_cast<std::int64_t>(width_) * height_ / 200;
    std::int64_t sum = 0;
    high_ = 235;
    for (int j = 235; j >= from; --j) {
        sum += histogram_[static_cast<std::size_t>(j)];
        if (sum > brightest) {
            high_ = j;
            return true;
        }
    }
    return false;
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
    // Bottom up: the rows the counting pass read last are still in the cache.
    ParallelRows::run(static_cast<int>(height_), [&](int begin, int end, int) {
        for (int y = begin; y < end; ++y)
            stretchRow(data_ + static_cast<std::size_t>(y) * bytesPerRow_, width_, low_, inverse, map_);
    });
}

}  // namespace kestrel
