#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace kestrel {

// A block of 32-bit pixels: bytes blue, green, red and a fourth byte that is
// skipped (kBGRX, the working layout of every picture) or alpha, premultiplied
// (kBGRA, captions only). Rows are bytesPerRow apart, a multiple of 4. A new
// bitmap is all zero (black, or transparent).
//
// One owner; Image shares a finished bitmap read-only.
class Bitmap {
public:
    enum class Format { kBGRX, kBGRA };

    // Rows of exactly 4 × width bytes.
    Bitmap(int width, int height, Format format = Format::kBGRX);
    // Rows of `bytesPerRow` bytes (at least 4 × width, a multiple of 4).
    Bitmap(int width, int height, std::size_t bytesPerRow, Format format = Format::kBGRX);
    Bitmap(Bitmap&&) noexcept = default;
    Bitmap& operator=(Bitmap&&) noexcept = default;
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    // Pixels that live elsewhere, used in place: a camera's frame buffer
    // (never written), or a block kept to be used again (written like the
    // bitmap's own). `release` runs once, when the bitmap lets them go.
    static Bitmap adopt(int width, int height, std::size_t bytesPerRow, std::uint8_t* pixels,
                        std::function<void()> release);

    // Bytes per row of a bitmap whose rows are padded to a multiple of 4 pixels.
    static std::size_t paddedBytesPerRow(int width);
    // Largest width or height Kestrel works with.
    static constexpr int kMaxDimension = 32767;

    int width() const { return width_; }
    int height() const { return height_; }
    std::size_t bytesPerRow() const { return bytesPerRow_; }
    Format format() const { return format_; }
    bool empty() const { return width_ == 0 || height_ == 0; }

    std::uint8_t* data() { return data_.get(); }
    const std::uint8_t* data() const { return data_.get(); }
    std::uint8_t* row(int y) { return data_.get() + static_cast<std::size_t>(y) * bytesPerRow_; }
    const std::uint8_t* row(int y) const {
        return data_.get() + static_cast<std::size_t>(y) * bytesPerRow_;
    }
    std::size_t byteCount() const { return static_cast<std::size_t>(height_) * bytesPerRow_; }

    Bitmap clone() const;

private:
    struct Free {
        std::function<void()> release;  // for adopted pixels; else they are ours to free
        void operator()(std::uint8_t* p) const;
    };
    Bitmap() = default;
    int width_ = 0;
    int height_ = 0;
    std::size_t bytesPerRow_ = 0;
    Format format_ = Format::kBGRX;
    std::unique_ptr<std::uint8_t[], Free> data_;
};

}  // namespace kestrel
