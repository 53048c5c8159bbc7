#include "core/imaging/NightVisionRows.h"

#include "core/imaging/UColorSpace.h"

#include <algorithm>

// Highway compiles this file once per target it builds for (foreach_target
// includes it again), then once more with HWY_ONCE for the dispatch.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "core/imaging/NightVisionRows.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace kestrel {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

#if HWY_TARGET != HWY_SCALAR
using D32 = hn::ScalableTag<std::uint32_t>;
using V32 = hn::Vec<D32>;

// The lumas of a vector of pixels. 25 B + 66 R come from one multiply:
// (B + R·2¹⁶) × (66 + 25·2¹⁶) holds 66 B in its lower and 25 B + 66 R in its
// upper 16 bits, neither of which overflows.
HWY_INLINE V32 lumas(D32 d, V32 pixels) {
    const auto blueRed = hn::And(pixels, hn::Set(d, 0x00ff00ffu));
    const auto green = hn::And(hn::ShiftRight<8>(pixels), hn::Set(d, 0xffu));
    const auto sum = hn::Add(hn::ShiftRight<16>(hn::Mul(blueRed, hn::Set(d, 0x00190042u))),
                             hn::Mul(green, hn::Set(d, 129u)));
    return hn::ShiftRight<8>(hn::Add(sum, hn::Set(d, 4096u)));
}

HWY_INLINE V32 loadLumas(D32 d, const std::uint8_t* pixels) {
    const hn::Repartition<std::uint8_t, D32> d8;
    return lumas(d, hn::BitCast(d, hn::LoadU(d8, pixels)));
}

// One bin per lane, the lanes spread over the four histograms.
HWY_INLINE void countLanes(D32 d, V32 bins, NightVisionRows::Histograms& h) {
    std::uint32_t lanes[hn::MaxLanes(D32())];
    hn::StoreU(bins, d, lanes);
    for (std::size_t i = 0; i < hn::Lanes(d); ++i)
        ++h[i & 3][lanes[i]];
}
#endif

void countRowVector(const std::uint8_t* row, std::uint32_t count, NightVisionRows::Histograms& h) {
    std::size_t x = 0;
#if HWY_TARGET != HWY_SCALAR
    const D32 d;
    const std::size_t n = hn::Lanes(d);
    for (; x + n <= count; x += n)
        countLanes(d, loadLumas(d, row + 4 * x), h);
#endif
    NightVisionRows::countRowReference(row + 4 * x, static_cast<std::uint32_t>(count - x), h);
}

// The lumas above the cut go one by one into the histograms (few pixels:
// four vectors that hold none are passed over at once); those equal to it and
// the least are kept in vector counters.
void countTopBandVector(const std::uint8_t* rows, std::size_t bytesPerRow, std::uint32_t height,
                        std::uint32_t width, std::uint32_t cut, NightVisionRows::TopCounts& c) {
#if HWY_TARGET == HWY_SCALAR
    NightVisionRows::countTopBandReference(rows, bytesPerRow, height, width, cut, c);
#else
    const D32 d;
    const std::size_t n = hn::Lanes(d);
    const auto atCutValue = hn::Set(d, cut);
    auto atCut = hn::Zero(d);  // a lane's count for one band stays far below 2³²
    auto least = hn::Set(d, 255u);
    const auto tally = [&](V32 y) {
        least = hn::Min(least, y);
        atCut = hn::Sub(atCut, hn::VecFromMask(d, hn::Eq(y, atCutValue)));  // all ones: minus −1
    };
    const auto countAbove = [&](V32 y) {
        const auto above = hn::Gt(y, atCutValue);
        if (!hn::AllFalse(d, above))
            countLanes(d, hn::IfThenElse(above, y, hn::Set(d, NightVisionRows::kIgnored)), c.above);
    };
    for (std::uint32_t r = 0; r < height; ++r) {
        const std::uint8_t* row = rows + r * bytesPerRow;
        std::size_t x = 0;
        for (; x + 4 * n <= width; x += 4 * n) {
            const auto y0 = loadLumas(d, row + 4 * x);
            const auto y1 = loadLumas(d, row + 4 * (x + n));
            const auto y2 = loadLumas(d, row + 4 * (x + 2 * n));
            const auto y3 = loadLumas(d, row + 4 * (x + 3 * n));
            tally(y0);
            tally(y1);
            tally(y2);
            tally(y3);
            const auto top = hn::Max(hn::Max(y0, y1), hn::Max(y2, y3));
            if (hn::AllFalse(d, hn::Gt(top, atCutValue))) continue;
            countAbove(y0);
            countAbove(y1);
            countAbove(y2);
            countAbove(y3);
        }
        for (; x + n <= width; x += n) {
            const auto y = loadLumas(d, row + 4 * x);
            tally(y);
            countAbove(y);
        }
        NightVisionRows::countTopBandReference(row + 4 * x, bytesPerRow, 1,
                                               static_cast<std::uint32_t>(width - x), cut, c);
    }
    std::uint32_t counts[hn::MaxLanes(D32())];
    std::uint32_t leasts[hn::MaxLanes(D32())];
    hn::StoreU(atCut, d, counts);
    hn::StoreU(least, d, leasts);
    for (std::size_t lane = 0; lane < n; ++lane) {
        c.atCut += counts[lane];
        c.least = std::min(c.least, leasts[lane]);
    }
#endif
}

// The map as arithmetic: with k = max(luma − low, 0) and d = high − low > 0,
// (k × 255) / d truncated is the integer part of (k × 255 + 0.5) × (1 / d) in
// single precision (the half keeps a quotient that is a whole number off the
// edge: the float error, below 3e-5 for quotients up to 255, is far less
// than the 0.5 / d margin), then 255 at most. An add, then a multiply: no
// fused rounding to differ between targets.
void stretchRowVector(std::uint8_t* row, std::uint32_t count, int low, float inverse,
                      const std::array<std::uint8_t, 256>& map) {
    std::size_t x = 0;
#if HWY_TARGET != HWY_SCALAR
    const D32 d;
    const hn::RebindToSigned<D32> di;
    const hn::Rebind<float, D32> df;
    const hn::Repartition<std::uint8_t, D32> d8;
    const std::size_t n = hn::Lanes(d);
    for (; x + n <= count; x += n) {
        const auto pixels = hn::BitCast(d, hn::LoadU(d8, row + 4 * x));
        const auto k =
            hn::Max(hn::Sub(hn::BitCast(di, lumas(d, pixels)), hn::Set(di, low)), hn::Zero(di));
        const auto scaled = hn::ConvertTo(df, hn::Sub(hn::ShiftLeft<8>(k), k));
        const auto q = hn::Mul(hn::Add(scaled, hn::Set(df, 0.5f)), hn::Set(df, inverse));
        const auto grey = hn::BitCast(d, hn::Min(hn::ConvertTo(di, q), hn::Set(di, 255)));
        // The grey into the three colour bytes, the fourth byte kept.
        const auto out =
            hn::Or(hn::And(pixels, hn::Set(d, 0xff000000u)), hn::Mul(grey, hn::Set(d, 0x010101u)));
        hn::StoreU(hn::BitCast(d8, out), d8, row + 4 * x);
    }
#else
    (void)low;
    (void)inverse;
#endif
    NightVisionRows::stretchRowReference(row + 4 * x, static_cast<std::uint32_t>(count - x), map);
}

}  // namespace HWY_NAMESPACE
}  // namespace kestrel
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace kestrel {

HWY_EXPORT(countRowVector);
HWY_EXPORT(countTopBandVector);
HWY_EXPORT(stretchRowVector);

std::uint32_t NightVisionRows::luma(const std::uint8_t* pixel) {
    return UColorSpace::luma(pixel[2], pixel[1], pixel[0]);
}

void NightVisionRows::countRow(const std::uint8_t* row, std::uint32_t count, Histograms& h) {
    HWY_DYNAMIC_DISPATCH(countRowVector)(row, count, h);
}

void NightVisionRows::countTopBand(const std::uint8_t* rows, std::size_t bytesPerRow,
                                   std::uint32_t height, std::uint32_t width, std::uint32_t cut,
                                   TopCounts& counts) {
    HWY_DYNAMIC_DISPATCH(countTopBandVector)(rows, bytesPerRow, height, width, cut, counts);
}

void NightVisionRows::stretchRow(std::uint8_t* row, std::uint32_t count, int low, float inverse,
                                 const std::array<std::uint8_t, 256>& map) {
    HWY_DYNAMIC_DISPATCH(stretchRowVector)(row, count, low, inverse, map);
}

void NightVisionRows::countRowReference(const std::uint8_t* row, std::uint32_t count,
                                        Histograms& h) {
    for (std::uint32_t x = 0; x < count; ++x)
        ++h[0][luma(row + 4 * x)];
}

void NightVisionRows::countTopBandReference(const std::uint8_t* rows, std::size_t bytesPerRow,
                                            std::uint32_t height, std::uint32_t width,
                                            std::uint32_t cut, TopCounts& c) {
    for (std::uint32_t r = 0; r < height; ++r)
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint32_t y = luma(rows + r * bytesPerRow + 4 * x);
            c.least = std::min(c.least, y);
            if (y == cut) ++c.atCut;
            if (y > cut) ++c.above[0][y];
        }
}

void NightVisionRows::stretchRowReference(std::uint8_t* row, std::uint32_t count,
                                          const std::array<std::uint8_t, 256>& map) {
    for (std::uint8_t* p = row; p < row + 4 * static_cast<std::size_t>(count); p += 4)
        p[0] = p[1] = p[2] = map[luma(p)];  // the fourth byte stays
}

}  // namespace kestrel
#endif  // HWY_ONCE
