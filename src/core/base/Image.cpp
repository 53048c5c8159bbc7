#include "core/base/Image.h"

namespace kestrel {

Image::Image(Bitmap bitmap, int orientation)
    : bitmap_(std::make_shared<Bitmap>(std::move(bitmap))), orientation_(orientation) {}

Bitmap Image::takeBitmap() {
    if (!bitmap_) return Bitmap(0, 0);
    Bitmap taken = bitmap_.use_count() == 1 ? std::move(*bitmap_) : bitmap_->clone();
    bitmap_.reset();
    return taken;
}

Image Image::withOrientation(int orientation) const {
    Image copy = *this;
    copy.orientation_ = orientation;
    return copy;
}

Size Image::size() const {
    const auto w = static_cast<float>(width());
    const auto h = static_cast<float>(height());
    return swapsSides(orientation_) ? Size{h, w} : Size{w, h};
}

}  // namespace kestrel
