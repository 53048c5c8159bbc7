#pragma once

#include "core/base/Image.h"

#include <cstdint>
#include <functional>
#include <string>

namespace kestrel::test {

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// Pictures made for tests, and pixel access that ignores the skipped byte.
class TestImages {
public:
    // Every pixel from a function of its column and row.
    static Image make(int width, int height, const std::function<Rgb(int x, int y)>& pixel,
                      int orientation = Image::kUp);
    static Image uniform(int width, int height, Rgb colour);
    // Seeded noise, biased towards 0 and 255 where blend formulas have edges.
    static Image noise(int width, int height, std::uint32_t seed);
    static Rgb at(const Image& image, int x, int y);
    // Largest difference of any colour channel over the whole picture; -1 if
    // the sizes differ. Optionally skips a border of `inset` pixels.
    static int maxDifference(const Image& a, const Image& b, int inset = 0);
    static std::string describe(Rgb c);
};

}  // namespace kestrel::test
