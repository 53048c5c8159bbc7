#include "core/imaging/BilinearKernels.h"

#include <algorithm>

// Highway compiles this file once per target it builds for (foreach_target
// includes it again), then once more with HWY_ONCE for the dispatch.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "core/imaging/BilinearKernels.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace kestrel {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// Half a vector of bytes at a time, widened to 16 bits. With the weight
// below 128, weight << 8 is a signed 16-bit factor, and the rounded fixed
// point product is exactly ((lower − upper) × weight + 64) >> 7.
void blendRowsVector(const std::uint8_t* upper, const std::uint8_t* lower, int weight,
                     std::uint8_t* out, std::size_t bytes) {
    std::size_t i = 0;
#if HWY_TARGET != HWY_SCALAR
    if (weight > 0 && weight < BilinearKernels::kRowOne) {
        const hn::ScalableTag<std::int16_t> d16;
        const hn::Rebind<std::uint8_t, decltype(d16)> d8;
        const std::size_t n = hn::Lanes(d16);
        const auto factor = hn::Set(d16, static_cast<std::int16_t>(weight << 8));
        for (; i + n <= bytes; i += n) {
            const auto a = hn::PromoteTo(d16, hn::LoadU(d8, upper + i));
            const auto b = hn::PromoteTo(d16, hn::LoadU(d8, lower + i));
            const auto blended = hn::Add(a, hn::MulFixedPoint15(hn::Sub(b, a), factor));
            hn::StoreU(hn::DemoteTo(d8, blended), d8, out + i);
        }
    }
#endif
    BilinearKernels::blendRowsReference(upper + i, lower + i, weight, out + i, bytes - i);
}

#if HWY_TARGET != HWY_SCALAR
// The eight bytes at each of `kCount` offsets of `row`, one per 64-bit lane:
// loads of eight bytes put together (a gather is slower where the hardware
// has one, and no faster where it has none).
template <std::size_t kCount>
HWY_INLINE auto loadPairs(const std::uint8_t* row, const std::int64_t* offsets) {
    if constexpr (kCount == 1) {
        return hn::LoadU(hn::Full64<std::uint64_t>(),
                         reinterpret_cast<const std::uint64_t*>(row + offsets[0]));
    } else {
        const hn::FixedTag<std::uint64_t, kCount> d;
        return hn::Combine(d, loadPairs<kCount / 2>(row, offsets + kCount / 2),
                           loadPairs<kCount / 2>(row, offsets));
    }
}

template <class D64>
HWY_INLINE hn::Vec<D64> neighbourPairs(D64 d64, const std::uint8_t* row,
                                       const std::int64_t* offsets) {
    constexpr std::size_t kLanes = hn::MaxLanes(D64());
    if constexpr (kLanes == 2 || kLanes == 4 || kLanes == 8) {
        return loadPairs<kLanes>(row, offsets);
    } else {  // vectors of a length known only at run time
        const hn::RebindToSigned<D64> di64;
        return hn::GatherOffset(d64, reinterpret_cast<const std::uint64_t*>(row),
                                hn::LoadU(di64, offsets));
    }
}

// Each byte of the left pixels moved towards the right one's: with the
// factor w << 9 (32767 for w = 64, which still rounds to the right byte for
// differences up to 255), the rounded fixed point product is exactly
// ((right − left) × w + 32) >> 6, so left + it is the reference's
// (left × (64 − w) + right × w + 32) >> 6. Blue and red are the low bytes of
// 16-bit words, green and the fourth the high ones.
template <class D32>
HWY_INLINE hn::Vec<D32> blendPixels(D32 d32, hn::Vec<D32> left, hn::Vec<D32> right,
                                    hn::Vec<D32> factors) {
    const hn::Repartition<std::uint16_t, D32> du16;
    const hn::Repartition<std::int16_t, D32> d16;
    const auto f = hn::BitCast(d16, factors);
    const auto towards = [&](hn::Vec<decltype(du16)> l, hn::Vec<decltype(du16)> r) {
        const auto from = hn::BitCast(d16, l);
        return hn::BitCast(
            du16, hn::Add(from, hn::MulFixedPoint15(hn::Sub(hn::BitCast(d16, r), from), f)));
    };
    const auto l = hn::BitCast(du16, left);
    const auto r = hn::BitCast(du16, right);
    const auto low = hn::Set(du16, 0x00ff);
    const auto even = towards(hn::And(l, low), hn::And(r, low));
    const auto odd = towards(hn::ShiftRight<8>(l), hn::ShiftRight<8>(r));
    return hn::BitCast(d32, hn::Or(even, hn::ShiftLeft<8>(odd)));
}
#endif

// Two vectors of neighbour pairs make one vector of target pixels: their
// left and their right pixels apart, then blended.
void blendColumnsVector(const std::uint8_t* row, const std::int64_t* offsets,
                        const std::uint32_t* factors, std::size_t from, std::size_t to,
                        std::uint8_t* out) {
    std::size_t x = from;
#if HWY_TARGET != HWY_SCALAR
    const hn::ScalableTag<std::uint64_t> d64;
    const hn::Repartition<std::uint32_t, decltype(d64)> d32;
    const hn::Repartition<std::uint8_t, decltype(d64)> d8;
    const std::size_t n = hn::Lanes(d64);
    const auto opaque = hn::Set(d32, 0xff000000u);
    for (; x + 2 * n <= to; x += 2 * n) {
        const auto first = hn::BitCast(d32, neighbourPairs(d64, row, offsets + x));
        const auto second = hn::BitCast(d32, neighbourPairs(d64, row, offsets + x + n));
        const auto pixels =
            blendPixels(d32, hn::ConcatEven(d32, second, first), hn::ConcatOdd(d32, second, first),
                        hn::LoadU(d32, factors + x));
        hn::StoreU(hn::BitCast(d8, hn::Or(pixels, opaque)), d8, out + 4 * x);
    }
#endif
    BilinearKernels::blendColumnsReference(row, 4, offsets, factors, x, to, out);
}

}  // namespace HWY_NAMESPACE
}  // namespace kestrel
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace kestrel {

HWY_EXPORT(blendRowsVector);
HWY_EXPORT(blendColumnsVector);

std::uint32_t BilinearKernels::columnFactors(int weight) {
    const auto factor = static_cast<std::uint32_t>(std::min(weight << 9, 0x7fff));
    return factor | factor << 16;
}

int BilinearKernels::columnWeight(std::uint32_t factors) {
    const std::uint32_t factor = factors & 0xffff;
    return factor == 0x7fff ? kColumnOne : static_cast<int>(factor >> 9);
}

void BilinearKernels::blendRows(const std::uint8_t* upper, const std::uint8_t* lower, int weight,
                                std::uint8_t* out, std::size_t bytes) {
    HWY_DYNAMIC_DISPATCH(blendRowsVector)(upper, lower, weight, out, bytes);
}

void BilinearKernels::blendColumns(const std::uint8_t* row, std::size_t next,
                                   const std::int64_t* offsets, const std::uint32_t* factors,
                                   std::size_t from, std::size_t to, std::uint8_t* out) {
    // A source one pixel wide has one neighbour, read twice: left to the plain loop.
    if (next != 4) return blendColumnsReference(row, next, offsets, factors, from, to, out);
    HWY_DYNAMIC_DISPATCH(blendColumnsVector)(row, offsets, factors, from, to, out);
}

void BilinearKernels::blendRowsReference(const std::uint8_t* upper, const std::uint8_t* lower,
                                         int weight, std::uint8_t* out, std::size_t bytes) {
    for (std::size_t i = 0; i < bytes; ++i)
        out[i] = static_cast<std::uint8_t>(
            upper[i] + (((lower[i] - upper[i]) * weight + kRowOne / 2) >> kRowBits));
}

void BilinearKernels::blendColumnsReference(const std::uint8_t* row, std::size_t next,
                                            const std::int64_t* offsets,
                                            const std::uint32_t* factors, std::size_t from,
                                            std::size_t to, std::uint8_t* out) {
    for (std::size_t x = from; x < to; ++x) {
        const std::uint8_t* left = row + offsets[x];
        const std::uint8_t* right = left + next;
        const int weight = columnWeight(factors[x]);
        std::uint8_t* pixel = out + 4 * x;
        for (int c = 0; c < 3; ++c)
            pixel[c] = static_cast<std::uint8_t>(
                (left[c] * (kColumnOne - weight) + right[c] * weight + kColumnOne / 2) >>
                kColumnBits);
        pixel[3] = 0xff;
    }
}

}  // namespace kestrel
#endif  // HWY_ONCE
