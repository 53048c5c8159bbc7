#include "core/imaging/ColorModeKernel.h"

#include "core/imaging/CairoSurface.h"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace kestrel {
namespace {

using Table = std::array<std::uint8_t, 256>;

// The grey of the luminosity blend onto black, computed as Cairo's renderer
// computes it (bytes to floats by 1/255, single-precision weights, then the
// float-to-8-bit step that truncates 256 f), so that the tinted modes, which
// amplify the grey up to threefold, stay within a level of the library's own
// result. Four pixels at a time in portable vector arithmetic, same IEEE
// operations in the same order.
using V4f = float __attribute__((vector_size(16)));
using V4i = std::int32_t __attribute__((vector_size(16)));
using V4u = std::uint32_t __attribute__((vector_size(16)));

V4f channel(V4u pixels, int shift) {
    return __builtin_convertvector(__builtin_convertvector((pixels >> shift) & 0xFFu, V4i), V4f);
}

V4u greys4(V4u pixels) {
    const float unit = 1.0f / 255.0f;
    const V4f r = channel(pixels, 16) * unit * 0.3f;
    const V4f g = channel(pixels, 8) * unit * 0.59f;
    const V4f b = channel(pixels, 0) * unit * 0.11f;
    V4f lum = r + g + b;
    lum = lum < 0.0f ? 0.0f : lum;
    lum = lum > 1.0f ? 1.0f : lum;
    V4u u = __builtin_convertvector(__builtin_convertvector(lum * 256.0f, V4i), V4u);
    return u - (u >> 8);
}

std::uint32_t greyOf(std::uint32_t pixel) {
    const V4u one{pixel, 0, 0, 0};
    return greys4(one)[0];
}

// Greys of a row of pixels into `greys`.
void greyRow(const std::uint32_t* pixels, std::uint32_t* greys, int count) {
    int x = 0;
    for (; x + 4 <= count; x += 4) {
        V4u block;
        std::memcpy(&block, pixels + x, sizeof block);
        const V4u g = greys4(block);
        std::memcpy(greys + x, &g, sizeof g);
    }
    for (; x < count; ++x) greys[x] = greyOf(pixels[x]);
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

    std::vector<std::uint32_t> greys(static_cast<std::size_t>(r.width));
    switch (colorMode) {
    case 1:
        forEachRow(bitmap, r, [&greys](std::uint32_t* p, int count) {
            greyRow(p, greys.data(), count);
            for (int x = 0; x < count; ++x) p[x] = (p[x] & kSkipped) | greys[static_cast<std::size_t>(x)] * 0x010101u;
        });
        break;
    case 2:
    case 4:
    case 5: {
        const TintTables& t = tintFor(colorMode);
        forEachRow(bitmap, r, [&greys, &t](std::uint32_t* p, int count) {
            greyRow(p, greys.data(), count);
            for (int x = 0; x < count; ++x) p[x] = (p[x] & kSkipped) | t.packed[greys[static_cast<std::size_t>(x)]];
        });
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
