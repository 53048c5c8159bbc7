#include "core/imaging/ColorModeKernel.h"

#include "core/imaging/CairoSurface.h"
#include "core/imaging/ColorModeRows.h"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cstdint>

namespace kestrel {
namespace {

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

}  // namespace

void ColorModeKernel::apply(Bitmap& bitmap, PixelRect region, int colorMode) {
    const int x0 = std::max(region.x, 0);
    const int y0 = std::max(region.y, 0);
    const int x1 = std::min(region.x + region.width, bitmap.width());
    const int y1 = std::min(region.y + region.height, bitmap.height());
    const PixelRect r{x0, y0, x1 - x0, y1 - y0};
    if (r.empty() || !handles(colorMode)) return;

    // The colour each grey level becomes, for the tinted modes.
    const std::uint32_t* colour = colorMode == 2 || colorMode == 4 || colorMode == 5
                                      ? tintFor(colorMode).packed.data()
                                      : nullptr;
    // Pixels as 32-bit words (little-endian: blue in the low byte, the
    // skipped byte in the high).
    for (int y = r.y; y < r.y + r.height; ++y)
        ColorModeRows::apply(colorMode, colour,
                             reinterpret_cast<std::uint32_t*>(bitmap.row(y)) + r.x,
                             static_cast<std::size_t>(r.width));
}

}  // namespace kestrel
