#pragma once

#include "core/base/Bitmap.h"

#include <memory>

namespace kestrel {

// Width and height in points (one point is one pixel here), as the drawing
// code passes them: single precision.
struct Size {
    float width = 0;
    float height = 0;
    bool operator==(const Size&) const = default;
};

// A picture: an immutable bitmap, shared between copies, plus the orientation
// value that says how the stored pixels must be turned to appear upright:
// 0 up, 1 down (180°), 2 left (a quarter turn counter-clockwise), 3 right
// (a quarter turn clockwise), 4–7 the same mirrored. A default Image is none.
class Image {
public:
    enum Orientation : int {
        kUp = 0, kDown = 1, kLeft = 2, kRight = 3,
        kUpMirrored = 4, kDownMirrored = 5, kLeftMirrored = 6, kRightMirrored = 7,
    };

    Image() = default;
    explicit Image(Bitmap bitmap, int orientation = kUp);

    explicit operator bool() const { return bitmap_ != nullptr; }
    const Bitmap& bitmap() const { return *bitmap_; }
    std::shared_ptr<const Bitmap> sharedBitmap() const { return bitmap_; }
    int orientation() const { return orientation_; }
    // The same pixels under another orientation value.
    Image withOrientation(int orientation) const;

    // Size of the stored bitmap.
    int width() const { return bitmap_ ? bitmap_->width() : 0; }
    int height() const { return bitmap_ ? bitmap_->height() : 0; }
    // Size once upright: width and height exchanged for 2, 3, 6 and 7.
    Size size() const;

    static bool swapsSides(int orientation) {
        return orientation >= 0 && orientation <= 7 && ((0xCC >> orientation) & 1) != 0;
    }
    // The pixels to work on in place: moved out when this is the only image
    // holding them (no copy), else a copy. Leaves this image none.
    Bitmap takeBitmap();

    // YES when two images share the very same bitmap.
    bool sameBitmap(const Image& other) const { return bitmap_ == other.bitmap_; }

private:
    std::shared_ptr<Bitmap> bitmap_;  // never changed while shared
    int orientation_ = kUp;
};

}  // namespace kestrel
