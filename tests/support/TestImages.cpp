#include "support/TestImages.h"

#include <algorithm>
#include <cstdlib>
#include <random>
#include <sstream>

namespace kestrel::test {

Image TestImages::make(int width, int height, const std::function<Rgb(int, int)>& pixel,
                       int orientation) {
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* p = bitmap.row(y);
        for (int x = 0; x < width; ++x, p += 4) {
            const Rgb c = pixel(x, y);
            p[0] = static_cast<std::uint8_t>(c.b);
            p[1] = static_cast<std::uint8_t>(c.g);
            p[2] = static_cast<std::uint8_t>(c.r);
            p[3] = 0xFF;
        }
    }
    return Image(std::move(bitmap), orientation);
}

Image TestImages::uniform(int width, int height, Rgb colour) {
    return make(width, height, [colour](int, int) { return colour; });
}

Image TestImages::noise(int width, int height, std::uint32_t seed) {
    std::mt19937 random(seed);
    auto channel = [&random]() {
        const std::uint32_t pick = random() % 8;
        if (pick == 0) return 0;
        if (pick == 1) return 255;
        if (pick == 2) return static_cast<int>(random() % 4);
        if (pick == 3) return 252 + static_cast<int>(random() % 4);
        return static_cast<int>(random() % 256);
    };
    return make(width, height, [&](int, int) { return Rgb{channel(), channel(), channel()}; });
}

Rgb TestImages::at(const Image& image, int x, int y) {
    const std::uint8_t* p = image.bitmap().row(y) + static_cast<std::size_t>(x) * 4;
    return Rgb{p[2], p[1], p[0]};
}

int TestImages::maxDifference(const Image& a, const Image& b, int inset) {
    if (a.width() != b.width() || a.height() != b.height()) return -1;
    int worst = 0;
    for (int y = inset; y < a.height() - inset; ++y)
        for (int x = inset; x < a.width() - inset; ++x) {
            const Rgb p = at(a, x, y);
            const Rgb q = at(b, x, y);
            worst =
                std::max({worst, std::abs(p.r - q.r), std::abs(p.g - q.g), std::abs(p.b - q.b)});
        }
    return worst;
}

std::string TestImages::describe(Rgb c) {
    // Streamed: GCC 12's -O3 warns of overlapping copies in chained string + (a known false alarm).
    std::ostringstream text;
    text << '(' << c.r << ", " << c.g << ", " << c.b << ')';
    return text.str();
}

}  // namespace kestrel::test
