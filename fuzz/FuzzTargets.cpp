#include "FuzzTargets.h"

#include "core/exif/ExifReader.h"
#include "core/exif/JpegSectionFile.h"
#include "core/exif/LibExifFileWrapper.h"
#include "core/imaging/JpegCodec.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace kestrel::fuzz {
namespace {

void check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::abort();
}

const std::vector<std::uint8_t>& smallJpeg() {
    static const std::vector<std::uint8_t> jpeg = [] {
        Bitmap bitmap(8, 8);
        return *JpegCodec::encode(Image(std::move(bitmap)), 0.5);
    }();
    return jpeg;
}

}  // namespace

void sectionFileRoundTrip(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> bytes(data, data + size);
    auto file = JpegSectionFile::parse(bytes);
    if (!file) return;
    check(file->serialize() == bytes, "an untouched file writes back unchanged");
    static const std::uint8_t block[] = {'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0};
    check(file->setExifBlock(block), "a small EXIF block is taken");
    const std::vector<std::uint8_t> out = file->serialize();
    const auto again = JpegSectionFile::parse(out);
    check(again.has_value(), "a stamped file reads again");
    check(again->exifBlock() && again->exifBlock()->size() == sizeof block, "the new block is found");
}

void gpsRead(const std::uint8_t* data, std::size_t size) {
    auto file = JpegSectionFile::parse(smallJpeg());
    std::vector<std::uint8_t> block{'E', 'x', 'i', 'f', 0, 0};
    block.insert(block.end(), data, data + size);
    if (!file || !file->setExifBlock(block)) return;
    const std::vector<std::uint8_t> bytes = file->serialize();

    char path[] = "/tmp/kestrel-fuzz-XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0) return;
    const bool written = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    ::close(fd);
    if (written) {
        (void)ExifReader(path).read();
        LibExifFileWrapper wrapper(path);
        std::size_t rendered = 0;
        for (const auto& ifd : wrapper.imageFileDirectories())
            for (const auto& entry : ifd.ifdEntries) rendered += entry->value().size();
        (void)rendered;
    }
    ::unlink(path);
}

}  // namespace kestrel::fuzz
