#include "core/imaging/Bitmap.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

namespace kestrel {

void Bitmap::Free::operator()(std::uint8_t* p) const {
    if (release)
        release();
    else
        std::free(p);
}

Bitmap Bitmap::adopt(int width, int height, std::size_t bytesPerRow, std::uint8_t* pixels,
                     std::function<void()> release) {
    Bitmap bitmap;
    if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension || !pixels ||
        bytesPerRow < static_cast<std::size_t>(width) * 4 || bytesPerRow % 4 != 0) {
        if (release) release();
        throw std::invalid_argument("bad adopted bitmap");
    }
    bitmap.width_ = width;
    bitmap.height_ = height;
    bitmap.bytesPerRow_ = bytesPerRow;
    bitmap.data_ = std::unique_ptr<std::uint8_t[], Free>(pixels, Free{std::move(release)});
    return bitmap;
}

Bitmap::Bitmap(int width, int height, Format format)
    : Bitmap(width, height, static_cast<std::size_t>(width > 0 ? width : 0) * 4, format) {}

Bitmap::Bitmap(int width, int height, std::size_t bytesPerRow, Format format)
    : format_(format) {
    if (width < 0 || height < 0 || width > kMaxDimension || height > kMaxDimension)
        throw std::invalid_argument("bitmap size out of range");
    if (bytesPerRow < static_cast<std::size_t>(width) * 4 || bytesPerRow % 4 != 0)
        throw std::invalid_argument("bad bitmap row length");
    width_ = width;
    height_ = height;
    bytesPerRow_ = bytesPerRow;
    const std::size_t bytes = byteCount();
    if (bytes == 0) return;
    // calloc: large blocks come straight from fresh zero pages.
    data_.reset(static_cast<std::uint8_t*>(std::calloc(bytes, 1)));
    if (!data_) throw std::bad_alloc();
}

std::size_t Bitmap::paddedBytesPerRow(int width) {
    const std::size_t w = static_cast<std::size_t>(width > 0 ? width : 0);
    return ((w + 3) / 4) * 4 * 4;
}

Bitmap Bitmap::clone() const {
    Bitmap copy(width_, height_, bytesPerRow_, format_);
    if (byteCount() != 0) std::memcpy(copy.data(), data(), byteCount());
    return copy;
}

}  // namespace kestrel
