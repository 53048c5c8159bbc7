#include "core/imaging/ColorModeKernel.h"

#include "core/imaging/Avx2Copy.h"
#include "core/imaging/CairoSurface.h"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace kestrel {
namespace {

using Table = std::array<std::uint8_t, 256>;

// The grey of the luminosity blend onto black, computed as Cairo's renderer
// computes it (bytes to floats by 1/255, single-precision weights, then the
// float-to-8-bit step that truncates 256 f), so that the tinted modes, which
// amplify the grey up to threefold, stay within a level of the library's own
// result. Eight pixels at a time in portable vector arithmetic, same IEEE
// operations in the same order (no fused multiply-add: the copies below are
// built for AVX2 alone, which has none).
using V8f = float __attribute__((vector_size(32)));
using V8i = std::int32_t __attribute__((vector_size(32)));
using V8u = std::uint32_t __attribute__((vector_size(32)));

constexpr int kStep = 8;

inline void channel(const V8u& pixels, int shift, V8f& out) {
    out = __builtin_convertvector(__builtin_convertvector((pixels >> shift) & 0xFFu, V8i), V8f);
}

// (By reference: vectors this wide are passed by value differently with and
// without AVX.)
inline void greys8(const V8u& pixels, V8u& greys) {
    const float unit = 1.0f / 255.0f;
    V8f r, g, b;
    channel(pixels, 16, r);
    channel(pixels, 8, g);
    channel(pixels, 0, b);
    V8f lum = r * unit * 0.3f + g * unit * 0.59f + b * unit * 0.11f;
    lum = lum < 0.0f ? 0.0f : lum;
    lum = lum > 1.0f ? 1.0f : lum;
    const V8u u = __builtin_convertvector(__builtin_convertvector(lum * 256.0f, V8i), V8u);
    greys = u - (u >> 8);
}

std::uint32_t greyOf(std::uint32_t pixel) {
    const V8u one{pixel, 0, 0, 0, 0, 0, 0, 0};
    V8u grey;
    greys8(one, grey);
    return grey[0];
}

// Each pixel of a row replaced by `colour[grey]` (colour bytes only: the
// fourth byte stays).
KESTREL_WITH_AVX2_COPY
void tintRow(std::uint32_t* pixels, int count, const std::array<std::uint32_t, 256>& colour) {
    int x = 0;
    for (; x + kStep <= count; x += kStep) {
        V8u block;
        std::memcpy(&block, pixels + x, sizeof block);
        V8u g;
        greys8(block, g);
        for (int i = 0; i < kStep; ++i) pixels[x + i] = (pixels[x + i] & 0xFF000000u) | colour[g[i]];
    }
    for (; x < count; ++x) pixels[x] = (pixels[x] & 0xFF000000u) | colour[greyOf(pixels[x])];
}

// For every grey level, the bytes that "fill with `tint` under the color blend
// mode" gives over it, taken from Cairo itself once: its HSL operators are the
// reference these passes reproduce.
struct TintTables {
    std::array<std::uint32_t, 256> packed;  // bytes blue, green, red, 0
};

TintTables makeTint(double r, double g, double b) {
    Bitmap greys(256, 1);
    for (int v = 0; v < 256; ++v) {
        std::uint8_t* p = greys.data() + v * 4;
        p[0] = p[1] = p[2] = static_cast<std::uint8_t>(v);
    }
    CairoSurface surface(greys);
    cairo_t* cr = cairo_create(surface.get());
    cairo_set_operator(cr, CAIRO_OPERATOR_HSL_COLOR);
    cairo_set_source_rgb(cr, r, g, b);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface.get());
    TintTables t{};
    for (std::size_t v = 0; v < 256; ++v) {
        const std::uint8_t* p = greys.data() + v * 4;
        t.packed[v] = std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16;
    }
    return t;
}

const TintTables& tintFor(int colorMode) {
    static const TintTables sepia = makeTint(0.3671875, 0.1484375, 0.0703125);
    static const TintTables red = makeTint(1, 0, 0);
    static const TintTables cyan = makeTint(0, 1, 1);
    return colorMode == 2 ? sepia : colorMode == 4 ? red : cyan;
}

// Hard light of a channel over black: 0 up to half, then 2s − 1.
const Table& hardLightTable() {
    static const Table table = [] {
        Table t{};
        for (int v = 0; v < 256; ++v) t[static_cast<std::size_t>(v)] = static_cast<std::uint8_t>(v <= 127 ? 0 : 2 * v - 255);
        return t;
    }();
    return table;
}

// Calls op(row pixels, count) for each row of the region, pixels as 32-bit
// words (little-endian: blue in the low byte, the skipped byte in the high).
template <class RowOp>
void forEachRow(Bitmap& bitmap, PixelRect r, RowOp op) {
    for (int y = r.y; y < r.y + r.height; ++y)
        op(reinterpret_cast<std::uint32_t*>(bitmap.row(y)) + r.x, r.width);
}

template <class WordOp>
void forEachWord(Bitmap& bitmap, PixelRect r, WordOp op) {
    forEachRow(bitmap, r, [&op](std::uint32_t* p, int count) {
        for (int x = 0; x < count; ++x) p[x] = op(p[x]);
    });
}

constexpr std::uint32_t kSkipped = 0xFF000000u;

}  // namespace

void ColorModeKernel::apply(Bitmap& bitmap, PixelRect region, int colorMode) {
    const int x0 = std::max(region.x, 0);
    const int y0 = std::max(region.y, 0);
    const int x1 = std::min(region.x + region.width, bitmap.width());
    const int y1 = std::min(region.y + region.height, bitmap.height());
    const PixelRect r{x0, y0, x1 - x0, y1 - y0};
    if (r.empty() || !handles(colorMode)) return;

    switch (colorMode) {
    case 1: {
        static const std::array<std::uint32_t, 256> grey = [] {
            std::array<std::uint32_t, 256> t{};
            for (std::uint32_t v = 0; v < 256; ++v) t[v] = v * 0x010101u;
            return t;
        }();
        forEachRow(bitmap, r, [](std::uint32_t* p, int count) { tintRow(p, count, grey); });
        break;
    }
    case 2:
    case 4:
    case 5: {
        const TintTables& t = tintFor(colorMode);
        forEachRow(bitmap, r, [&t](std::uint32_t* p, int count) { tintRow(p, count, t.packed); });
        break;
    }
    case 3: {
        const Table& h = hardLightTable();
        forEachWord(bitmap, r, [&h](std::uint32_t p) {
            return (p & kSkipped) | std::uint32_t{h[p & 0xFF]} | std::uint32_t{h[(p >> 8) & 0xFF]} << 8 |
                   std::uint32_t{h[(p >> 16) & 0xFF]} << 16;
        });
        break;
    }
    case 6:  // red channel only
        forEachWord(bitmap, r, [](std::uint32_t p) { return p & 0xFFFF0000u; });
        break;
    case 7:  // green and blue only
        forEachWord(bitmap, r, [](std::uint32_t p) { return p & 0xFF00FFFFu; });
        break;
    case 8:  // 255 - v in each colour byte
        forEachWord(bitmap, r, [](std::uint32_t p) { return p ^ 0x00FFFFFFu; });
        break;
    default:
        break;
    }
}

}  // namespace kestrel
