#include "core/exif/JpegSectionFile.h"

#include "core/platform/AtomicFile.h"

#include <cstring>
#include <fstream>
#include <sys/stat.h>

namespace kestrel {
namespace {

constexpr std::uint8_t kSOI = 0xD8;
constexpr std::uint8_t kEOI = 0xD9;
constexpr std::uint8_t kSOS = 0xDA;
constexpr std::uint8_t kAPP0 = 0xE0;
constexpr std::uint8_t kAPP1 = 0xE1;
constexpr std::uint8_t kTEM = 0x01;

bool fail(std::string* error, const std::string& message) {
    if (error) *error = message;
    return false;
}

bool isRestart(std::uint8_t marker) { return marker >= 0xD0 && marker <= 0xD7; }
bool standsAlone(std::uint8_t marker) {
    return marker == kSOI || marker == kEOI || marker == kTEM || isRestart(marker);
}

// From `at` (just after a start-of-scan header), follows entropy-coded data,
// and any further tables and scans, to the end-of-image marker. Answers the
// offset after it, or none when the data ends first.
std::optional<std::size_t> findEndOfImage(const std::vector<std::uint8_t>& b, std::size_t at) {
    const std::size_t size = b.size();
    while (at < size) {
        const void* hit = std::memchr(b.data() + at, 0xFF, size - at);
        if (!hit) return std::nullopt;
        std::size_t i = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - b.data());
        while (i + 1 < size && b[i + 1] == 0xFF) ++i;  // fill bytes
        if (i + 1 >= size) return std::nullopt;
        const std::uint8_t marker = b[i + 1];
        if (marker == 0x00 || isRestart(marker)) {  // stuffed byte or restart: still data
            at = i + 2;
            continue;
        }
        if (marker == kEOI) return i + 2;
        if (standsAlone(marker)) {
            at = i + 2;
            continue;
        }
        // A segment between scans (tables, another start of scan).
        if (i + 3 >= size) return std::nullopt;
        const std::size_t length = std::size_t{b[i + 2]} << 8 | b[i + 3];
        if (length < 2 || i + 2 + length > size) return std::nullopt;
        at = i + 2 + length;
    }
    return std::nullopt;
}

}  // namespace

bool JpegSectionFile::isExifBlock(std::span<const std::uint8_t> content) {
    static constexpr std::uint8_t kHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
    return content.size() >= 6 && std::memcmp(content.data(), kHeader, 6) == 0;
}

std::optional<JpegSectionFile> JpegSectionFile::parse(std::vector<std::uint8_t> bytes,
                                                      std::string* error) {
    JpegSectionFile file;
    file.bytes_ = std::move(bytes);
    const std::vector<std::uint8_t>& b = file.bytes_;
    const std::size_t size = b.size();
    if (size < 2 || b[0] != 0xFF || b[1] != kSOI)
        return fail(error, "not a JPEG file: no start-of-image marker"), std::nullopt;

    std::size_t at = 0;
    for (;;) {
        const std::size_t begin = at;
        if (at >= size || b[at] != 0xFF)
            return fail(error, "a marker was expected at offset " + std::to_string(at)), std::nullopt;
        while (at < size && b[at] == 0xFF) ++at;  // the marker's 0xFF and any fill bytes
        if (at >= size) return fail(error, "the file ends inside a marker"), std::nullopt;
        const std::uint8_t marker = b[at++];
        if (marker < 0xC0 && marker != kTEM)
            return fail(error, "data that does not follow the JPEG format at offset " +
                                   std::to_string(begin)), std::nullopt;
        Section section{marker, begin, at, at};
        if (marker == kEOI)
            return fail(error, "the image ends before any image data"), std::nullopt;
        if (!standsAlone(marker)) {
            if (at + 2 > size) return fail(error, "the file ends inside a segment length"), std::nullopt;
            const std::size_t length = std::size_t{b[at]} << 8 | b[at + 1];
            if (length < 2)
                return fail(error, "a segment length below 2 at offset " + std::to_string(at)), std::nullopt;
            if (at + length > size)
                return fail(error, "a segment runs past the end of the file"), std::nullopt;
            section.contentBegin = at + 2;
            section.end = at + length;
        }
        if (marker == kSOS) {
            if (!findEndOfImage(b, section.end))
                return fail(error, "the image data has no end-of-image marker"), std::nullopt;
            file.scanBegin_ = begin;
            break;
        }
        const std::size_t index = file.sections_.size();
        file.sections_.push_back(section);
        if (marker == kAPP1 && !file.exifIndex_ &&
            isExifBlock({b.data() + section.contentBegin, section.contentSize()}))
            file.exifIndex_ = index;
        at = section.end;
    }

    // A new EXIF block goes after the start of image and any APP0 (JFIF) segments.
    file.insertAt_ = 0;
    while (file.insertAt_ < file.sections_.size() &&
           (file.sections_[file.insertAt_].marker == kSOI || file.sections_[file.insertAt_].marker == kAPP0))
        ++file.insertAt_;
    return file;
}

std::optional<JpegSectionFile> JpegSectionFile::load(const std::filesystem::path& path,
                                                     std::string* error) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) return fail(error, "cannot read " + path.string() + ": " + ec.message()), std::nullopt;
    if (size > kMaxFileSize) return fail(error, path.string() + " is too large"), std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    std::ifstream in(path, std::ios::binary);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size)))
        return fail(error, "cannot read " + path.string()), std::nullopt;
    std::string why;
    auto file = parse(std::move(bytes), &why);
    if (!file) fail(error, path.string() + ": " + why);
    return file;
}

std::optional<std::span<const std::uint8_t>> JpegSectionFile::exifBlock() const {
    if (newExif_) return std::span<const std::uint8_t>(*newExif_);
    if (!exifIndex_) return std::nullopt;
    const Section& s = sections_[*exifIndex_];
    return std::span<const std::uint8_t>(bytes_.data() + s.contentBegin, s.contentSize());
}

bool JpegSectionFile::setExifBlock(std::span<const std::uint8_t> block, std::string* error) {
    if (!isExifBlock(block)) return fail(error, "an EXIF block must begin with the EXIF header");
    if (block.size() > kMaxSegmentContent)
        return fail(error, "the EXIF block of " + std::to_string(block.size()) +
                               " bytes does not fit in one segment");
    newExif_.emplace(block.begin(), block.end());
    return true;
}

std::vector<std::uint8_t> JpegSectionFile::serialize() const {
    std::vector<std::uint8_t> out;
    out.reserve(bytes_.size() + (newExif_ ? newExif_->size() + 4 : 0));
    auto appendRange = [&](std::size_t begin, std::size_t end) {
        out.insert(out.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(begin),
                   bytes_.begin() + static_cast<std::ptrdiff_t>(end));
    };
    auto appendExif = [&] {
        const std::size_t length = newExif_->size() + 2;
        out.insert(out.end(), {0xFF, kAPP1, static_cast<std::uint8_t>(length >> 8),
                               static_cast<std::uint8_t>(length & 0xFF)});
        out.insert(out.end(), newExif_->begin(), newExif_->end());
    };
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        if (newExif_ && !exifIndex_ && i == insertAt_) appendExif();
        if (newExif_ && exifIndex_ && i == *exifIndex_)
            appendExif();
        else
            appendRange(sections_[i].begin, sections_[i].end);
    }
    if (newExif_ && !exifIndex_ && insertAt_ == sections_.size()) appendExif();
    appendRange(scanBegin_, bytes_.size());  // scans, image data and all that follows, verbatim
    return out;
}

bool JpegSectionFile::save(const std::filesystem::path& file, std::string* error) const {
    struct stat info {};
    const mode_t mode = ::stat(file.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0644;
    const std::vector<std::uint8_t> out = serialize();
    return AtomicFile::write(file, out, mode, error);
}

}  // namespace kestrel
