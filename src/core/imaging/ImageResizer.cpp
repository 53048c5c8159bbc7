#include "core/imaging/ImageResizer.h"

#include <cstdint>
#include <cstring>

namespace kestrel {
namespace {

// Where the pixel (x, y) of the upright picture comes from in the stored
// bitmap of size w × h. Mirrored orientations flip the stored picture left to
// right before the turn.
struct SourceOf {
    int turn;
    bool mirrored;
    int w;
    int h;

    void operator()(int x, int y, int& sx, int& sy) const {
        switch (turn) {
        case 1: sx = w - 1 - x; sy = h - 1 - y; break;  // 180°
        case 2: sx = w - 1 - y; sy = x; break;          // quarter turn counter-clockwise
        case 3: sx = y; sy = h - 1 - x; break;          // quarter turn clockwise
        default: sx = x; sy = y; break;
        }
        if (mirrored) sx = w - 1 - sx;
    }
};

}  // namespace

Bitmap ImageResizer::colorMatch(const Bitmap& source, int orientation) {
    const bool known = orientation >= 0 && orientation <= 7;
    const int turn = known ? orientation & 3 : 0;
    const bool swapped = Image::swapsSides(orientation);
    const int width = swapped ? source.height() : source.width();
    const int height = swapped ? source.width() : source.height();
    Bitmap upright(width, height);
    if (upright.empty()) return upright;

    if (turn == 0 && !(known && orientation >= 4)) {
        for (int y = 0; y < height; ++y)
            std::memcpy(upright.row(y), source.row(y), static_cast<std::size_t>(width) * 4);
        return upright;
    }
    const SourceOf sourceOf{turn, known && orientation >= 4, source.width(), source.height()};
    for (int y = 0; y < height; ++y) {
        auto* out = reinterpret_cast<std::uint32_t*>(upright.row(y));
        for (int x = 0; x < width; ++x) {
            int sx = 0;
            int sy = 0;
            sourceOf(x, y, sx, sy);
            std::memcpy(&out[x], source.row(sy) + static_cast<std::size_t>(sx) * 4, 4);
        }
    }
    return upright;
}

Image ImageResizer::colorMatch(const Image& image, Size size) {
    if (!image) return {};
    if (image.orientation() == Image::kUp && size.width == 0 && size.height == 0) return image;
    return Image(colorMatch(image.bitmap(), image.orientation()), Image::kUp);
}

}  // namespace kestrel
