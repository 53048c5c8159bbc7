#include "core/imaging/ColorModeRows.h"

// Highway compiles this file once per target it builds for (foreach_target
// includes it again), then once more with HWY_ONCE for the dispatch.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "core/imaging/ColorModeRows.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

// Shared by every target's pass and the reference: once only.
#ifndef KESTREL_COLOR_MODE_ROWS_CONSTANTS
#define KESTREL_COLOR_MODE_ROWS_CONSTANTS
namespace kestrel {
namespace {

constexpr std::uint32_t kFourth = 0xff000000u;
constexpr std::uint32_t kColour = 0x00ffffffu;
// What modes 6 and 7 keep of each pixel.
constexpr std::uint32_t kRedKept = 0xffff0000u;
constexpr std::uint32_t kGreenBlueKept = 0xff00ffffu;
// The luminosity weights, applied to each byte over 255 (in this order, a
// multiply and an add at a time, as the reference renderer does).
constexpr float kUnit = 1.0f / 255.0f;
constexpr float kRedWeight = 0.3f;
constexpr float kGreenWeight = 0.59f;
constexpr float kBlueWeight = 0.11f;

}  // namespace
}  // namespace kestrel
#endif

HWY_BEFORE_NAMESPACE();
namespace kestrel {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

#if HWY_TARGET != HWY_SCALAR
using D32 = hn::ScalableTag<std::uint32_t>;
using V32 = hn::Vec<D32>;

HWY_INLINE V32 greys(D32 d, V32 pixels) {
    const hn::RebindToSigned<D32> di;
    const hn::Rebind<float, D32> df;
    const auto byte = [&](V32 v) {
        return hn::ConvertTo(df, hn::BitCast(di, hn::And(v, hn::Set(d, 0xffu))));
    };
    const auto r = byte(hn::ShiftRight<16>(pixels));
    const auto g = byte(hn::ShiftRight<8>(pixels));
    const auto b = byte(pixels);
    const auto unit = hn::Set(df, kUnit);
    auto lum = hn::Add(hn::Add(hn::Mul(hn::Mul(r, unit), hn::Set(df, kRedWeight)),
                               hn::Mul(hn::Mul(g, unit), hn::Set(df, kGreenWeight))),
                       hn::Mul(hn::Mul(b, unit), hn::Set(df, kBlueWeight)));
    lum = hn::Min(hn::Max(lum, hn::Zero(df)), hn::Set(df, 1.0f));
    const auto scaled = hn::BitCast(d, hn::ConvertTo(di, hn::Mul(lum, hn::Set(df, 256.0f))));
    return hn::Sub(scaled, hn::ShiftRight<8>(scaled));  // 256 (white) to 255
}

// Calls op on each whole vector of the row; returns how many pixels it did.
template <class Op>
HWY_INLINE std::size_t eachVector(std::uint32_t* pixels, std::size_t count, Op op) {
    const D32 d;
    const std::size_t n = hn::Lanes(d);
    std::size_t x = 0;
    for (; x + n <= count; x += n)
        hn::StoreU(op(hn::LoadU(d, pixels + x)), d, pixels + x);
    return x;
}
#endif

void applyVector(int colorMode, const std::uint32_t* colour, std::uint32_t* pixels,
                 std::size_t count) {
    std::size_t done = 0;
#if HWY_TARGET != HWY_SCALAR
    const D32 d;
    const hn::RebindToSigned<D32> di;
    const hn::Repartition<std::uint8_t, D32> d8;
    const auto fourth = hn::Set(d, kFourth);
    switch (colorMode) {
        case 1:
            done = eachVector(pixels, count, [&](V32 p) {
                return hn::Or(hn::And(p, fourth), hn::Mul(greys(d, p), hn::Set(d, 0x010101u)));
            });
            break;
        case 2:
        case 4:
        case 5:
            done = eachVector(pixels, count, [&](V32 p) {
                const auto tinted = hn::GatherIndex(d, colour, hn::BitCast(di, greys(d, p)));
                return hn::Or(hn::And(p, fourth), tinted);
            });
            break;
        case 3:
            // 2v − 255 is v − (255 − v): saturated, it is 0 up to 127.
            done = eachVector(pixels, count, [&](V32 p) {
                const auto bytes = hn::BitCast(d8, p);
                const auto lit = hn::BitCast(d, hn::SaturatedSub(bytes, hn::Not(bytes)));
                return hn::Or(hn::And(p, fourth), hn::And(lit, hn::Set(d, kColour)));
            });
            break;
        case 6:
            done =
                eachVector(pixels, count, [&](V32 p) { return hn::And(p, hn::Set(d, kRedKept)); });
            break;
        case 7:
            done = eachVector(pixels, count,
                              [&](V32 p) { return hn::And(p, hn::Set(d, kGreenBlueKept)); });
            break;
        case 8:
            done =
                eachVector(pixels, count, [&](V32 p) { return hn::Xor(p, hn::Set(d, kColour)); });
            break;
        default:
            break;
    }
#endif
    ColorModeRows::applyReference(colorMode, colour, pixels + done, count - done);
}

}  // namespace HWY_NAMESPACE
}  // namespace kestrel
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace kestrel {

HWY_EXPORT(applyVector);

void ColorModeRows::apply(int colorMode, const std::uint32_t* colour, std::uint32_t* pixels,
                          std::size_t count) {
    HWY_DYNAMIC_DISPATCH(applyVector)(colorMode, colour, pixels, count);
}

std::uint32_t ColorModeRows::greyOf(std::uint32_t pixel) {
    const auto byte = [pixel](int shift) { return static_cast<float>(pixel >> shift & 0xffu); };
    float lum = byte(16) * kUnit * kRedWeight + byte(8) * kUnit * kGreenWeight +
                byte(0) * kUnit * kBlueWeight;
    lum = lum < 0.0f ? 0.0f : lum > 1.0f ? 1.0f : lum;
    const auto scaled = static_cast<std::uint32_t>(static_cast<std::int32_t>(lum * 256.0f));
    return scaled - (scaled >> 8);
}

namespace {

std::uint32_t hardLight(std::uint32_t pixel) {
    std::uint32_t out = pixel & kFourth;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t v = pixel >> shift & 0xffu;
        out |= (v <= 127 ? 0 : 2 * v - 255) << shift;
    }
    return out;
}

}  // namespace

void ColorModeRows::applyReference(int colorMode, const std::uint32_t* colour,
                                   std::uint32_t* pixels, std::size_t count) {
    for (std::size_t x = 0; x < count; ++x) {
        std::uint32_t& p = pixels[x];
        switch (colorMode) {
            case 1:
                p = (p & kFourth) | greyOf(p) * 0x010101u;
                break;
            case 2:
            case 4:
            case 5:
                p = (p & kFourth) | colour[greyOf(p)];
                break;
            case 3:
                p = hardLight(p);
                break;
            case 6:
                p &= kRedKept;
                break;
            case 7:
                p &= kGreenBlueKept;
                break;
            case 8:
                p ^= kColour;
                break;
            default:
                return;
        }
    }
}

}  // namespace kestrel
#endif  // HWY_ONCE
