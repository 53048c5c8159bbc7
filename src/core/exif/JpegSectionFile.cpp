#include "core/exif/JpegSectionFile.h"

#include "core/platform/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <climits>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

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
std::optional<std::size_t> findEndOfImage(std::span<const std::uint8_t> b, std::size_t at) {
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

// The bytes of a file: read into memory, or mapped with the file kept open.
struct JpegSectionFile::Storage {
    std::vector<std::uint8_t> owned;
    std::span<const std::uint8_t> borrowed;
    void* map = nullptr;
    std::size_t mapSize = 0;
    int fd = -1;

    Storage() = default;
    Storage(const Storage&) = delete;
    Storage& operator=(const Storage&) = delete;
    ~Storage() {
        if (map) ::munmap(map, mapSize);
        if (fd >= 0) ::close(fd);
    }
    std::span<const std::uint8_t> bytes() const {
        if (map) return {static_cast<const std::uint8_t*>(map), mapSize};
        if (!borrowed.empty()) return borrowed;
        return owned;
    }
};

bool JpegSectionFile::isExifBlock(std::span<const std::uint8_t> content) {
    static constexpr std::uint8_t kHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
    return content.size() >= 6 && std::memcmp(content.data(), kHeader, 6) == 0;
}

std::optional<JpegSectionFile> JpegSectionFile::parse(std::vector<std::uint8_t> bytes,
                                                      std::string* error) {
    auto storage = std::make_shared<Storage>();
    storage->owned = std::move(bytes);
    return parseStorage(std::move(storage), error);
}

std::optional<JpegSectionFile> JpegSectionFile::view(std::span<const std::uint8_t> bytes,
                                                     std::string* error) {
    auto storage = std::make_shared<Storage>();
    storage->borrowed = bytes;
    return parseStorage(std::move(storage), error);
}

std::optional<JpegSectionFile> JpegSectionFile::parseStorage(std::shared_ptr<const Storage> storage,
                                                             std::string* error, std::size_t fileSize,
                                                             bool* tooShort) {
    JpegSectionFile file;
    file.storage_ = std::move(storage);
    file.bytes_ = file.storage_->bytes();
    const std::span<const std::uint8_t> b = file.bytes_;
    const std::size_t size = b.size();
    file.metadataOnly_ = fileSize > size;
    // Of a file's beginning only: running out of bytes is not the file's fault.
    const auto ranOut = [&](std::size_t needed) {
        if (!file.metadataOnly_ || needed <= size) return false;
        if (tooShort) *tooShort = true;
        return true;
    };
    if (size < 2 || b[0] != 0xFF || b[1] != kSOI)
        return fail(error, "not a JPEG file: no start-of-image marker"), std::nullopt;

    std::size_t at = 0;
    for (;;) {
        const std::size_t begin = at;
        if (ranOut(at + 1)) return std::nullopt;
        if (at >= size || b[at] != 0xFF)
            return fail(error, "a marker was expected at offset " + std::to_string(at)), std::nullopt;
        while (at < size && b[at] == 0xFF) ++at;  // the marker's 0xFF and any fill bytes
        if (ranOut(at + 1)) return std::nullopt;
        if (at >= size) return fail(error, "the file ends inside a marker"), std::nullopt;
        const std::uint8_t marker = b[at++];
        if (marker < 0xC0 && marker != kTEM)
            return fail(error, "data that does not follow the JPEG format at offset " +
                                   std::to_string(begin)), std::nullopt;
        Section section{marker, begin, at, at};
        if (marker == kEOI)
            return fail(error, "the image ends before any image data"), std::nullopt;
        if (!standsAlone(marker)) {
            if (ranOut(at + 2)) return std::nullopt;
            if (at + 2 > size) return fail(error, "the file ends inside a segment length"), std::nullopt;
            const std::size_t length = std::size_t{b[at]} << 8 | b[at + 1];
            if (length < 2)
                return fail(error, "a segment length below 2 at offset " + std::to_string(at)), std::nullopt;
            if (ranOut(at + length)) return std::nullopt;
            if (at + length > size)
                return fail(error, "a segment runs past the end of the file"), std::nullopt;
            section.contentBegin = at + 2;
            section.end = at + length;
        }
        if (marker == kSOS) {
            if (file.metadataOnly_) {
                file.scanBegin_ = begin;
                break;
            }
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
    auto storage = std::make_shared<Storage>();
    storage->fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (storage->fd < 0 || ::fstat(storage->fd, &info) != 0)
        return fail(error, "cannot read " + path.string() + ": " + std::strerror(errno)), std::nullopt;
    if (!S_ISREG(info.st_mode)) return fail(error, path.string() + " is not a file"), std::nullopt;
    if (static_cast<std::uintmax_t>(info.st_size) > kMaxFileSize)
        return fail(error, path.string() + " is too large"), std::nullopt;
    const auto size = static_cast<std::size_t>(info.st_size);
    if (size > 0) {
        void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, storage->fd, 0);
        if (map == MAP_FAILED)
            return fail(error, "cannot read " + path.string() + ": " + std::strerror(errno)), std::nullopt;
        storage->map = map;
        storage->mapSize = size;
    }
    std::string why;
    auto file = parseStorage(std::move(storage), &why);
    if (!file) fail(error, path.string() + ": " + why);
    return file;
}

std::optional<JpegSectionFile> JpegSectionFile::loadMetadata(const std::filesystem::path& path,
                                                             std::string* error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        const int cause = errno;
        if (fd >= 0) ::close(fd);
        return fail(error, "cannot read " + path.string() + ": " + std::strerror(cause)), std::nullopt;
    }
    const auto size = static_cast<std::size_t>(info.st_size);
    std::uint8_t end[2] = {0, 0};
    const bool endsWell = S_ISREG(info.st_mode) && size >= 4 && static_cast<std::uintmax_t>(size) <= kMaxFileSize &&
                          ::pread(fd, end, 2, static_cast<off_t>(size - 2)) == 2 && end[0] == 0xFF && end[1] == kEOI;
    // The tags lie in the first few kilobytes (one segment holds at most
    // 64 KiB): read more only while the segments run on.
    for (std::size_t want = 64u << 10; endsWell;) {
        auto storage = std::make_shared<Storage>();
        storage->owned.resize(std::min(want, size));
        const ssize_t got = ::pread(fd, storage->owned.data(), storage->owned.size(), 0);
        if (got != static_cast<ssize_t>(storage->owned.size())) break;
        bool tooShort = false;
        std::string why;
        auto file = parseStorage(std::move(storage), &why, size, &tooShort);
        if (file || !tooShort) {
            ::close(fd);
            if (!file) fail(error, path.string() + ": " + why);
            return file;
        }
        want *= 4;
    }
    ::close(fd);
    return load(path, error);  // what the quick look cannot vouch for, the whole reading judges
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

bool JpegSectionFile::writeTo(int fd) const {
    // The pieces in file order: unchanged spans of the file and the new block.
    std::vector<std::span<const std::uint8_t>> pieces;
    std::uint8_t header[4] = {0xFF, kAPP1, 0, 0};
    auto addExif = [&] {
        const std::size_t length = newExif_->size() + 2;
        header[2] = static_cast<std::uint8_t>(length >> 8);
        header[3] = static_cast<std::uint8_t>(length & 0xFF);
        pieces.emplace_back(header, 4);
        pieces.emplace_back(*newExif_);
    };
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        if (newExif_ && !exifIndex_ && i == insertAt_) addExif();
        if (newExif_ && exifIndex_ && i == *exifIndex_)
            addExif();
        else
            pieces.push_back(bytes_.subspan(sections_[i].begin, sections_[i].end - sections_[i].begin));
    }
    if (newExif_ && !exifIndex_ && insertAt_ == sections_.size()) addExif();
    // One system call for all of them, as long as the kernel takes them whole.
    std::vector<iovec> vectors;
    std::size_t total = 0;
    for (const auto& piece : pieces) {
        vectors.push_back(iovec{const_cast<std::uint8_t*>(piece.data()), piece.size()});
        total += piece.size();
    }
    if (AtomicFile::injectedFault(AtomicFile::Step::kWrite)) return false;
    ssize_t written = vectors.size() <= IOV_MAX ? ::writev(fd, vectors.data(), static_cast<int>(vectors.size())) : -1;
    if (written != static_cast<ssize_t>(total)) {
        // A short or refused write: the pieces again, one by one, from where it stopped.
        std::size_t skip = written > 0 ? static_cast<std::size_t>(written) : 0;
        for (const auto& piece : pieces) {
            if (skip >= piece.size()) {
                skip -= piece.size();
                continue;
            }
            if (!AtomicFile::writeAll(fd, piece.subspan(skip))) return false;
            skip = 0;
        }
    }

    // Scans, image data and all that follows, verbatim: file to file in the
    // kernel when the source is a file, else from memory.
    std::span<const std::uint8_t> tail = bytes_.subspan(scanBegin_);
    if (storage_->fd >= 0) {
        auto offset = static_cast<off_t>(scanBegin_);
        while (!tail.empty()) {
            const ssize_t n = ::copy_file_range(storage_->fd, &offset, fd, nullptr, tail.size(), 0);
            if (n <= 0) break;  // not supported here, or interrupted: finish from memory
            tail = tail.subspan(static_cast<std::size_t>(n));
        }
    }
    return AtomicFile::writeAll(fd, tail);
}

std::vector<std::uint8_t> JpegSectionFile::serialize() const {
    if (metadataOnly_) return {};  // the image data was never read
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
    if (metadataOnly_) return fail(error, "read for its tags only, it cannot be written back");
    struct stat info {};
    const mode_t mode = ::stat(file.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0644;
    return AtomicFile::write(file, [this](int fd) { return writeTo(fd); }, mode, error);
}

}  // namespace kestrel
