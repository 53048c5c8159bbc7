#include "core/imaging/JpegRegionDecoder.h"

#include "core/imaging/JpegCodec.h"
#include "core/imaging/JpegErrorManager.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <new>

#include <jpeglib.h>

namespace kestrel {
namespace {

// Warnings (corrupt data, a truncated scan) are treated as errors too.
void emitMessage(j_common_ptr info, int level) {
    if (level < 0) jpegErrorExit(info);  // a warning: corrupt or incomplete data
}

struct Crop {
    JDIMENSION x = 0;
    JDIMENSION width = 0;
};

// The decoding itself, with only plain data alive across the jumps. The
// bitmap was sized by the caller from the crop this function reports
// through `onCrop` before any pixel is written.
template <class OnCrop>
bool decodeInto(std::span<const std::uint8_t> jpeg, PixelRect wanted, OnCrop onCrop, char* message) {
    jpeg_decompress_struct info{};
    JpegErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jpegErrorExit;
    errors.base.emit_message = emitMessage;
    if (setjmp(errors.jump)) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", errors.message);
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&info);
    Crop crop{static_cast<JDIMENSION>(wanted.x), static_cast<JDIMENSION>(wanted.width)};
    if (crop.x != 0 || crop.width != info.output_width) jpeg_crop_scanline(&info, &crop.x, &crop.width);
    Bitmap* bitmap = onCrop(static_cast<int>(crop.x), static_cast<int>(crop.width));
    if (!bitmap) {
        std::snprintf(message, JMSG_LENGTH_MAX, "not enough memory to decode the JPEG picture");
        jpeg_destroy_decompress(&info);
        return false;
    }
    const auto top = static_cast<JDIMENSION>(wanted.y);
    if (top > 0 && jpeg_skip_scanlines(&info, top) != top) jpegErrorExit(reinterpret_cast<j_common_ptr>(&info));
    for (int row = 0; row < wanted.height;) {
        JSAMPROW rows[1] = {bitmap->row(wanted.y + row) + std::size_t{crop.x} * 4};
        row += static_cast<int>(jpeg_read_scanlines(&info, rows, 1));
    }
    // The rows below are not needed: abort rather than decode them.
    jpeg_abort_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

std::optional<JpegRegionDecoder::Region> JpegRegionDecoder::decode(std::span<const std::uint8_t> jpeg,
                                                                   PixelRect wanted, std::string* error) {
    std::string why;
    const auto header = JpegCodec::readHeader(jpeg, &why);
    if (!header) {
        if (error) *error = why;
        return std::nullopt;
    }
    const int x0 = std::clamp(wanted.x, 0, header->width);
    const int y0 = std::clamp(wanted.y, 0, header->height);
    const int x1 = std::clamp(wanted.x + wanted.width, x0, header->width);
    const int y1 = std::clamp(wanted.y + wanted.height, y0, header->height);
    const PixelRect clipped{x0, y0, x1 - x0, y1 - y0};
    if (clipped.empty()) {
        if (error) *error = "no part of the picture is wanted";
        return std::nullopt;
    }
    std::optional<Region> region;
    char message[JMSG_LENGTH_MAX] = {};
    const bool decoded = decodeInto(
        jpeg, clipped,
        [&](int x, int width) -> Bitmap* {
            try {
                region.emplace(
                    Region{Bitmap(header->width, header->height), PixelRect{x, y0, width, clipped.height}});
            } catch (const std::bad_alloc&) {
                return nullptr;
            }
            return &region->bitmap;  // the crop lies within it: libjpeg only widens it to a block
        },
        message);
    if (!decoded) {
        if (error) *error = std::string("cannot decode the JPEG picture: ") + message;
        return std::nullopt;
    }
    return region;
}

}  // namespace kestrel
