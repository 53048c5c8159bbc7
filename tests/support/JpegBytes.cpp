#include "support/JpegBytes.h"

#include "core/imaging/JpegCodec.h"
#include "support/TestImages.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace kestrel::test {

Bytes JpegBytes::encoded(int width, int height) {
    const Image picture = TestImages::make(width, height, [](int x, int y) {
        return Rgb{(x * 7) % 256, (y * 5) % 256, (x * y) % 256};
    });
    return *JpegCodec::encode(picture, 0.9);
}

Bytes JpegBytes::segment(std::uint8_t marker, const Bytes& content) {
    const std::size_t length = content.size() + 2;
    // Sized, then filled: GCC 12's -O3 takes a growing vector's insert here
    // for an overflow (on aarch64).
    Bytes out(4 + content.size());
    out[0] = 0xFF;
    out[1] = marker;
    out[2] = static_cast<std::uint8_t>(length >> 8);
    out[3] = static_cast<std::uint8_t>(length);
    std::copy(content.begin(), content.end(), out.begin() + 4);
    return out;
}

Bytes JpegBytes::spliced(const Bytes& jpeg, std::size_t at, const Bytes& insert) {
    Bytes out(jpeg.begin(), jpeg.begin() + static_cast<long>(at));
    out.insert(out.end(), insert.begin(), insert.end());
    out.insert(out.end(), jpeg.begin() + static_cast<long>(at), jpeg.end());
    return out;
}

std::size_t JpegBytes::afterApp0(const Bytes& jpeg) {
    std::size_t at = 2;
    while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF && jpeg[at + 1] == 0xE0)
        at += 2 + (std::size_t{jpeg[at + 2]} << 8 | jpeg[at + 3]);
    return at;
}

Bytes JpegBytes::read(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void JpegBytes::write(const std::filesystem::path& file, const Bytes& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

}  // namespace kestrel::test
