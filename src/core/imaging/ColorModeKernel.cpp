#include "core/imaging/ColorModeKernel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace kestrel {
namespace {

using Table = std::array<std::uint8_t, 256>;
struct Rgb {
    double r, g, b;
};

double lum(const Rgb& c) { return 0.3 * c.r + 0.59 * c.g + 0.11 * c.b; }

// The non-separable blend helpers of the PDF/CSS compositing model.
Rgb clipColor(Rgb c) {
    const double l = lum(c);
    const double n = std::min({c.r, c.g, c.b});
    const double x = std::max({c.r, c.g, c.b});
    auto scale = [&](double v, double factor) { return l + (v - l) * factor; };
    if (n < 0) {
        const double f = l / (l - n);
        c = {scale(c.r, f), scale(c.g, f), scale(c.b, f)};
    }
    if (x > 1) {
        const double f = (1 - l) / (x - l);
        c = {scale(c.r, f), scale(c.g, f), scale(c.b, f)};
    }
    return c;
}

Rgb setLum(const Rgb& c, double l) {
    const double d = l - lum(c);
    return clipColor({c.r + d, c.g + d, c.b + d});
}

std::uint8_t toByte(double v) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(v * 255.0), 0l, 255l));
}

// For a grey level, the three bytes of "grey, then fill with `tint` under the
// color blend mode": the tint's hue and saturation with the grey's luminosity.
struct TintTables {
    Table red, green, blue;
};

TintTables makeTint(Rgb tint) {
    TintTables t{};
    for (int grey = 0; grey < 256; ++grey) {
        const Rgb c = setLum(tint, grey / 255.0);
        t.red[static_cast<std::size_t>(grey)] = toByte(c.r);
        t.green[static_cast<std::size_t>(grey)] = toByte(c.g);
        t.blue[static_cast<std::size_t>(grey)] = toByte(c.b);
    }
    return t;
}

const TintTables& tintFor(int colorMode) {
    static const TintTables sepia = makeTint({0.3671875, 0.1484375, 0.0703125});
    static const TintTables red = makeTint({1, 0, 0});
    static const TintTables cyan = makeTint({0, 1, 1});
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
    case 1:
        forEachPixel(bitmap, r, [](std::uint8_t* p) {
            const auto grey = static_cast<std::uint8_t>(luminosity(p[2], p[1], p[0]));
            p[0] = p[1] = p[2] = grey;
        });
        break;
    case 2:
    case 4:
    case 5: {
        const TintTables& t = tintFor(colorMode);
        forEachPixel(bitmap, r, [&t](std::uint8_t* p) {
            const auto grey = static_cast<std::size_t>(luminosity(p[2], p[1], p[0]));
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
