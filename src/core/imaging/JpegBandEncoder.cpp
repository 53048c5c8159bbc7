#include "core/imaging/JpegBandEncoder.h"

#include "core/imaging/JpegErrorManager.h"
#include "core/imaging/ParallelRows.h"

#include <algorithm>
#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <jpeglib.h>

namespace kestrel {
namespace {

constexpr int kMcuRows = 16;  // 4:2:0: one MCU row is 16 pixel rows
constexpr std::uint8_t kRst0 = 0xD0;

// One band as a JPEG of its own, `rows` rows from `first`; plain data only
// across the jumps.
bool encodeBand(const Bitmap& bitmap, int first, int rows, int quality, unsigned char** out,
                unsigned long* size, char* message) {
    jpeg_compress_struct info{};
    JpegErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jpegErrorExit;
    if (setjmp(errors.jump)) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", errors.message);
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, size);
    info.image_width = static_cast<JDIMENSION>(bitmap.width());
    info.image_height = static_cast<JDIMENSION>(rows);
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&info);  // YCbCr, luma sampled 2 × 2: 4:2:0
    jpeg_set_quality(&info, quality, TRUE);
    info.dct_method = JDCT_IFAST;  // as TurboJPEG encodes by default
    info.restart_in_rows = 1;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row[1] = {const_cast<JSAMPROW>(bitmap.row(first + static_cast<int>(info.next_scanline)))};
        jpeg_write_scanlines(&info, row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

struct Band {
    unsigned char* bytes = nullptr;
    unsigned long size = 0;
    bool ok = false;
    char message[JMSG_LENGTH_MAX] = {};
};

// Offset just after the start-of-scan segment of an encoded band.
std::size_t scanDataBegin(const unsigned char* b, std::size_t size) {
    std::size_t at = 2;
    while (at + 4 <= size && b[at] == 0xFF) {
        const std::uint8_t marker = b[at + 1];
        const std::size_t length = std::size_t{b[at + 2]} << 8 | b[at + 3];
        at += 2 + length;
        if (marker == 0xDA) return at;
    }
    return 0;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> JpegBandEncoder::encode(const Bitmap& bitmap, int quality, int bands,
                                                                 std::string* error) {
    const int mcuRows = (bitmap.height() + kMcuRows - 1) / kMcuRows;
    bands = std::clamp(bands, 1, mcuRows);
    std::vector<int> firstMcuRow(static_cast<std::size_t>(bands) + 1);
    for (int k = 0; k <= bands; ++k)
        firstMcuRow[static_cast<std::size_t>(k)] = static_cast<int>(static_cast<long long>(mcuRows) * k / bands);
    std::vector<Band> parts(static_cast<std::size_t>(bands));
    auto encodePart = [&](int k) {
        const int first = firstMcuRow[static_cast<std::size_t>(k)] * kMcuRows;
        const int end = std::min(firstMcuRow[static_cast<std::size_t>(k) + 1] * kMcuRows, bitmap.height());
        Band& band = parts[static_cast<std::size_t>(k)];
        band.ok = encodeBand(bitmap, first, end - first, quality, &band.bytes, &band.size, band.message);
    };
    {
        // The bands go to whichever thread is free: a core held by another
        // program delays the picture by no more than the band it is on.
        std::atomic<int> next{0};
        const auto take = [&] {
            for (int k = next++; k < bands; k = next++) encodePart(k);
        };
        std::vector<std::thread> helpers;
        for (int t = 1; t < std::min(bands, ParallelRows::bandCount()); ++t) helpers.emplace_back(take);
        take();
        for (auto& helper : helpers) helper.join();
    }
    auto release = [&] {
        for (Band& band : parts) std::free(band.bytes);
    };
    for (const Band& band : parts)
        if (!band.ok) {
            if (error) *error = std::string("cannot encode the JPEG picture: ") + band.message;
            release();
            return std::nullopt;
        }

    // Band 0 gives the headers (its frame header then carries the whole
    // height); each band's entropy-coded data follows, its restart markers
    // renumbered, with a restart marker between two bands.
    std::vector<std::uint8_t> out;
    out.reserve([&] {
        std::size_t total = 0;
        for (const Band& band : parts) total += band.size;
        return total;
    }());
    for (int k = 0; k < bands; ++k) {
        const Band& band = parts[static_cast<std::size_t>(k)];
        const std::size_t begin = scanDataBegin(band.bytes, band.size);
        if (begin == 0 || band.size < begin + 2) {
            if (error) *error = "cannot stitch the JPEG bands";
            release();
            return std::nullopt;
        }
        const int row0 = firstMcuRow[static_cast<std::size_t>(k)];
        if (k == 0) {
            out.insert(out.end(), band.bytes, band.bytes + begin);
        } else {
            out.push_back(0xFF);
            out.push_back(static_cast<std::uint8_t>(kRst0 + (row0 - 1) % 8));
        }
        const std::size_t end = band.size - 2;  // the band's end-of-image marker
        std::size_t from = out.size();
        out.insert(out.end(), band.bytes + begin, band.bytes + end);
        // Restart j of the band follows MCU row row0 + j of the picture.
        int local = 0;
        for (std::size_t i = from; i + 1 < out.size(); ++i)
            if (out[i] == 0xFF && out[i + 1] >= kRst0 && out[i + 1] <= kRst0 + 7) {
                out[i + 1] = static_cast<std::uint8_t>(kRst0 + (row0 + local) % 8);
                ++local;
                ++i;
            }
    }
    out.push_back(0xFF);
    out.push_back(0xD9);
    // The frame header's height: the whole picture's.
    for (std::size_t at = 2; at + 9 < out.size() && out[at] == 0xFF;) {
        const std::uint8_t marker = out[at + 1];
        const std::size_t length = std::size_t{out[at + 2]} << 8 | out[at + 3];
        if (marker == 0xC0) {
            out[at + 5] = static_cast<std::uint8_t>(bitmap.height() >> 8);
            out[at + 6] = static_cast<std::uint8_t>(bitmap.height() & 0xFF);
            break;
        }
        at += 2 + length;
    }
    release();
    return out;
}

}  // namespace kestrel
