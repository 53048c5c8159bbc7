#include "core/imaging/ColorModeKernel.h"

#include "core/imaging/CairoSurface.h"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace kestrel {
namespace {

using Table = std::array<std::uint8_t, 256>;

// The grey of the luminosity blend onto black, computed as Cairo's renderer
// computes it (single-precision weights, then the float-to-8-bit step that
// truncates 256 f), so that tinted modes, which amplify the grey up to
// threefold, stay within a level of the drawing library's own result.
struct LumaWeights {
    std::array<float, 256> red, green, blue;
};

const LumaWeights& lumaWeights() {
    static const LumaWeights weights = [] {
        LumaWeights w{};
        for (int v = 0; v < 256; ++v) {
            const float unit = static_cast<float>(v) * (1.0f / 255.0f);
            w.red[static_cast<std::size_t>(v)] = unit * 0.3f;
            w.green[static_cast<std::size_t>(v)] = unit * 0.59f;
            w.blue[static_cast<std::size_t>(v)] = unit * 0.11f;
        }
        return w;
    }();
    return weights;
}

std::uint8_t floatToByte(float f) {
    f = std::clamp(f, 0.0f, 1.0f);
    auto u = static_cast<std::uint32_t>(f * 256.0f);
    u -= u >> 8;
    return static_cast<std::uint8_t>(u);
}

std::uint8_t greyOf(const LumaWeights& w, const std::uint8_t* p) {
    return floatToByte(w.red[p[2]] + w.green[p[1]] + w.blue[p[0]]);
}

// For every grey level, the bytes that "fill with `tint` under the color blend
// mode" gives over it, taken from Cairo itself once: its HSL operators are the
// reference these passes reproduce.
struct TintTables {
    Table red, green, blue;
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
        t.blue[v] = p[0];
        t.green[v] = p[1];
        t.red[v] = p[2];
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

template <class PixelOp>
void forEachPixel(Bitmap& bitmap, PixelRect r, PixelOp op) {
    for (int y = r.y; y < r.y + r.height; ++y) {
        std::uint8_t* p = bitmap.row(y) + static_cast<std::size_t>(r.x) * 4;
        for (int x = 0; x < r.width; ++x, p += 4) op(p);
    }
}

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
        const LumaWeights& w = lumaWeights();
        forEachPixel(bitmap, r, [&w](std::uint8_t* p) { p[0] = p[1] = p[2] = greyOf(w, p); });
        break;
    }
    case 2:
    case 4:
    case 5: {
        const LumaWeights& w = lumaWeights();
        const TintTables& t = tintFor(colorMode);
        forEachPixel(bitmap, r, [&w, &t](std::uint8_t* p) {
            const std::size_t grey = greyOf(w, p);
            p[0] = t.blue[grey];
            p[1] = t.green[grey];
            p[2] = t.red[grey];
        });
        break;
    }
    case 3: {
        const Table& h = hardLightTable();
        forEachPixel(bitmap, r, [&h](std::uint8_t* p) {
            p[0] = h[p[0]];
            p[1] = h[p[1]];
            p[2] = h[p[2]];
        });
        break;
    }
    case 6:
        forEachPixel(bitmap, r, [](std::uint8_t* p) { p[0] = p[1] = 0; });
        break;
    case 7:
        forEachPixel(bitmap, r, [](std::uint8_t* p) { p[2] = 0; });
        break;
    case 8:
        forEachPixel(bitmap, r, [](std::uint8_t* p) {
            p[0] = static_cast<std::uint8_t>(255 - p[0]);
            p[1] = static_cast<std::uint8_t>(255 - p[1]);
            p[2] = static_cast<std::uint8_t>(255 - p[2]);
        });
        break;
    default:
        break;
    }
}

}  // namespace kestrel
