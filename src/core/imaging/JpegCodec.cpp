#include "core/imaging/JpegCodec.h"

#include "core/imaging/ImageResizer.h"
#include "core/imaging/JpegBandEncoder.h"
#include "core/imaging/ParallelRows.h"

#include <libexif/exif-data.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <new>

namespace kestrel {
namespace {

bool fail(std::string* error, const std::string& message) {
    if (error) *error = message;
    return false;
}

// One libturbojpeg handle for the length of a call.
class TjHandle {
public:
    explicit TjHandle(tjhandle handle) : handle_(handle) {}
    ~TjHandle() {
        if (handle_) tjDestroy(handle_);
    }
    TjHandle(const TjHandle&) = delete;
    TjHandle& operator=(const TjHandle&) = delete;
    tjhandle get() const { return handle_; }
    std::string lastError() const { return tjGetErrorStr2(handle_); }

private:
    tjhandle handle_;
};

// The EXIF Orientation tag of the file's EXIF block; 1 (up) when there is none.
int exifOrientationOf(std::span<const std::uint8_t> jpeg) {
    if (jpeg.size() > 0xFFFFFFFFu) return 1;
    ExifData* data = exif_data_new();
    if (!data) return 1;
    exif_data_unset_option(data, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data, jpeg.data(), static_cast<unsigned int>(jpeg.size()));
    int value = 1;
    if (ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
        entry && entry->format == EXIF_FORMAT_SHORT && entry->components >= 1 && entry->size >= 2)
        value = exif_get_short(entry->data, exif_data_get_byte_order(data));
    exif_data_unref(data);
    return value;
}

bool readDimensions(const TjHandle& tj, std::span<const std::uint8_t> jpeg, int& width,
                    int& height, std::string* error) {
    int subsampling = 0;
    int colorspace = 0;
    if (jpeg.empty() || jpeg.size() > 0xFFFFFFFFul)
        return fail(error, "not a JPEG file (empty or too large)");
    if (tjDecompressHeader3(tj.get(), jpeg.data(), static_cast<unsigned long>(jpeg.size()), &width,
                            &height, &subsampling, &colorspace) != 0)
        return fail(error, "not a JPEG file: " + tj.lastError());
    if (width <= 0 || height <= 0 || width > Bitmap::kMaxDimension ||
        height > Bitmap::kMaxDimension ||
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > JpegCodec::kMaxPixels)
        return fail(error, "JPEG picture of " + std::to_string(width) + " x " +
                               std::to_string(height) + " pixels is too large");
    return true;
}

}  // namespace

int JpegCodec::orientationFromExif(int exifOrientation) {
    switch (exifOrientation) {
    case 1: return Image::kUp;
    case 3: return Image::kDown;
    case 8: return Image::kLeft;
    case 6: return Image::kRight;
    case 2: return Image::kUpMirrored;
    case 4: return Image::kDownMirrored;
    case 5: return Image::kLeftMirrored;
    case 7: return Image::kRightMirrored;
    default: return Image::kUp;
    }
}

std::optional<JpegCodec::Header> JpegCodec::readHeader(std::span<const std::uint8_t> jpeg,
                                                       std::string* error) {
    TjHandle tj(tjInitDecompress());
    if (!tj.get()) return fail(error, "cannot start the JPEG decoder"), std::nullopt;
    Header header;
    if (!readDimensions(tj, jpeg, header.width, header.height, error)) return std::nullopt;
    header.orientation = orientationFromExif(exifOrientationOf(jpeg));
    return header;
}

std::optional<Image> JpegCodec::decode(std::span<const std::uint8_t> jpeg, int scaleDenominator,
                                       std::string* error) {
    if (scaleDenominator != 1 && scaleDenominator != 2 && scaleDenominator != 4 &&
        scaleDenominator != 8) {
        fail(error, "JPEG scaling must be 1/1, 1/2, 1/4 or 1/8");
        return std::nullopt;
    }
    TjHandle tj(tjInitDecompress());
    if (!tj.get()) return fail(error, "cannot start the JPEG decoder"), std::nullopt;
    int width = 0;
    int height = 0;
    if (!readDimensions(tj, jpeg, width, height, error)) return std::nullopt;
    const tjscalingfactor factor{1, scaleDenominator};
    const int scaledWidth = TJSCALED(width, factor);
    const int scaledHeight = TJSCALED(height, factor);
    try {
        Bitmap bitmap(scaledWidth, scaledHeight);
        // Warnings (a truncated scan, corrupt data) are errors: no half pictures.
        if (tjDecompress2(tj.get(), jpeg.data(), static_cast<unsigned long>(jpeg.size()),
                          bitmap.data(), scaledWidth, static_cast<int>(bitmap.bytesPerRow()),
                          scaledHeight, TJPF_BGRX, TJFLAG_STOPONWARNING) != 0) {
            fail(error, "cannot decode the JPEG picture: " + tj.lastError());
            return std::nullopt;
        }
        return Image(std::move(bitmap), orientationFromExif(exifOrientationOf(jpeg)));
    } catch (const std::bad_alloc&) {
        fail(error, "not enough memory to decode the JPEG picture");
        return std::nullopt;
    }
}

std::optional<Image> JpegCodec::decodeAtLeast(std::span<const std::uint8_t> jpeg, int minWidth,
                                              int minHeight, std::string* error) {
    TjHandle tj(tjInitDecompress());
    if (!tj.get()) return fail(error, "cannot start the JPEG decoder"), std::nullopt;
    int width = 0;
    int height = 0;
    if (!readDimensions(tj, jpeg, width, height, error)) return std::nullopt;
    int denominator = 1;
    for (int candidate : {8, 4, 2}) {
        const tjscalingfactor factor{1, candidate};
        if (TJSCALED(width, factor) >= minWidth && TJSCALED(height, factor) >= minHeight) {
            denominator = candidate;
            break;
        }
    }
    return decode(jpeg, denominator, error);
}

std::optional<std::vector<std::uint8_t>> JpegCodec::encode(const Image& image, double quality,
                                                           std::string* error) {
    if (!image || image.bitmap().empty()) {
        fail(error, "no picture to encode");
        return std::nullopt;
    }
    const Image upright =
        image.orientation() == Image::kUp ? image : ImageResizer::colorMatch(image, Size{0, 0});
    const Bitmap& bitmap = upright.bitmap();
    TjHandle tj(tjInitCompress());
    if (!tj.get()) return fail(error, "cannot start the JPEG encoder"), std::nullopt;
    const int q = std::clamp(static_cast<int>(std::lround(std::clamp(quality, 0.0, 1.0) * 100.0)), 1, 100);
    // A large picture is encoded in bands on all cores.
    if (bitmap.height() >= JpegBandEncoder::kMinRows && ParallelRows::bandCount() > 1)
        return JpegBandEncoder::encode(bitmap, q, ParallelRows::bandCount() * JpegBandEncoder::kBandsPerThread,
                                       error);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    if (tjCompress2(tj.get(), bitmap.data(), bitmap.width(), static_cast<int>(bitmap.bytesPerRow()),
                    bitmap.height(), TJPF_BGRX, &out, &size, TJSAMP_420, q, 0) != 0) {
        fail(error, "cannot encode the JPEG picture: " + tj.lastError());
        tjFree(out);
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(out, out + size);
    tjFree(out);
    return bytes;
}

}  // namespace kestrel
