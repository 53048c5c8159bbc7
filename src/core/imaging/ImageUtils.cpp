#include "core/imaging/ImageUtils.h"

#include "core/imaging/ImageDraw.h"
#include "core/imaging/ImageResizer.h"

namespace kestrel {

Image ImageUtils::drawRect(Rect rect, const Image& image) {
    if (!image) return {};
    // The orientation transform works in the picture's own frame: turn it
    // upright first (a no-op for the usual orientation 0).
    const Image upright = ImageResizer::colorMatch(image, Size{0, 0});
    ImageDraw canvas;
    if (!canvas.start(Size{rect.width, rect.height})) return {};
    const Size s = upright.size();
    // The picture at (−x, −y) from the top left, in the canvas's bottom-left space.
    const Rect at{-rect.x, rect.height + rect.y - s.height, s.width, s.height};
    canvas.drawImage(upright.bitmap(), Image::kUp, s, at, at);
    return canvas.end();
}

Image ImageUtils::drawPosterImage(const Image& image, Size size) {
    return ImageDraw::drawPosterImage(image, size);
}

}  // namespace kestrel
