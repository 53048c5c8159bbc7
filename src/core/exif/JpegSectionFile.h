#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kestrel {

// A JPEG file as its marker sections, so that its EXIF block can be replaced
// and everything else written back byte for byte.
//
// Reading is strict about what it cannot account for: the file must start
// with a start-of-image marker, every segment length must lie within the
// file, and the image data after the first start-of-scan must reach an
// end-of-image marker (progressive scans, tables between scans, restart
// markers and stuffed bytes are followed; bytes after the end of image are
// kept). Anything else is refused, so that a file is never rewritten shorter
// or different from what was read.
//
// The EXIF block is the first APP1 segment whose content begins with
// "Exif\0\0"; other APP1 segments (XMP) are ordinary segments.
class JpegSectionFile {
public:
    // The largest content of one segment (its length field counts itself).
    static constexpr std::size_t kMaxSegmentContent = 65533;
    static constexpr std::uintmax_t kMaxFileSize = 256u << 20;

    struct Section {
        std::uint8_t marker = 0;
        std::size_t begin = 0;          // offset of its first byte (fill bytes included)
        std::size_t end = 0;            // offset after its content
        std::size_t contentBegin = 0;   // offset of the content (after the length)
        std::size_t contentSize() const { return end - contentBegin; }
    };

    static std::optional<JpegSectionFile> parse(std::vector<std::uint8_t> bytes,
                                                std::string* error = nullptr);
    // Over bytes the caller keeps alive and unchanged for the object's life
    // (a photo encoded in memory): nothing is copied until serialize().
    static std::optional<JpegSectionFile> view(std::span<const std::uint8_t> bytes,
                                               std::string* error = nullptr);
    // Maps the file rather than copying it: the image data is written back
    // from the file itself.
    static std::optional<JpegSectionFile> load(const std::filesystem::path& file,
                                               std::string* error = nullptr);
    // Reads the file's segments up to the start of the image data and no
    // further, for reading its tags: the image data is not read (only that
    // the file ends with an end-of-image marker is checked; one that does
    // not is read and checked whole, as load() does). Such a reading cannot
    // be written back: serialize() answers nothing and save() refuses.
    static std::optional<JpegSectionFile> loadMetadata(const std::filesystem::path& file,
                                                       std::string* error = nullptr);
    bool metadataOnly() const { return metadataOnly_; }

    const std::vector<Section>& sections() const { return sections_; }
    std::span<const std::uint8_t> bytes() const { return bytes_; }
    // The EXIF block's content ("Exif\0\0" and the TIFF data), or none.
    std::optional<std::span<const std::uint8_t>> exifBlock() const;

    // Sets the EXIF block's content (it must begin with "Exif\0\0"): replaces
    // the existing block in place, or inserts one after the start of image
    // and any JFIF APP0 segments. Answers NO for a block too large for one
    // segment.
    bool setExifBlock(std::span<const std::uint8_t> block, std::string* error = nullptr);
    // The whole file as it is to be written.
    std::vector<std::uint8_t> serialize() const;
    // Writes the file atomically, keeping the mode of the file it replaces.
    // The unchanged image data is copied file to file where the kernel can.
    bool save(const std::filesystem::path& file, std::string* error = nullptr) const;

    static bool isExifBlock(std::span<const std::uint8_t> content);

private:
    struct Storage;
    JpegSectionFile() = default;
    // `fileSize`, when larger than the bytes given, says that they are the
    // file's beginning only: the parse stops at the start of scan, and
    // `short` is set when the segments run past the bytes given.
    static std::optional<JpegSectionFile> parseStorage(std::shared_ptr<const Storage> storage,
                                                       std::string* error, std::size_t fileSize = 0,
                                                       bool* tooShort = nullptr);
    bool writeTo(int fd) const;

    std::shared_ptr<const Storage> storage_;  // owns what bytes_ views
    std::span<const std::uint8_t> bytes_;     // the file as read
    std::vector<Section> sections_;     // up to the first start of scan (excluded)
    std::size_t scanBegin_ = 0;         // offset of the first start-of-scan marker
    std::optional<std::size_t> exifIndex_;
    std::optional<std::vector<std::uint8_t>> newExif_;  // the block to write, if set
    std::size_t insertAt_ = 0;          // where a new block goes (a section index)
    bool metadataOnly_ = false;         // bytes_ end at the start of scan
};

}  // namespace kestrel
