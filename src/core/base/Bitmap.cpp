#include "core/base/Bitmap.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace kestrel {
namespace {

// A photo-sized bitmap is first touched a page at a time, and on small
// pages that costs about as much as drawing it: 4 KiB faults for a 12 MP
// picture number twelve thousand. Where the system gives large pages on
// request, the 2 MiB-aligned inside of the block asks for them (untouched
// yet, so they arrive as the pixels are first written).
void preferLargePages(std::uint8_t* data, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kLarge = std::uintptr_t{1} << 21;
    if (bytes < 4 * kLarge) return;
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + kLarge - 1) & ~(kLarge - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kLarge - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);  // only a hint
#else
    (void)data;
    (void)bytes;
#endif
}

}  // namespace

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
    preferLargePages(data_.get(), bytes);
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
