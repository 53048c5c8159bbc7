#pragma once

#include "core/platform/GeoPosition.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

class LibExifFileWrapper;

// Reads the GPS position of a photo file back from its EXIF tags, as the
// value texts the EXIF library renders them, and its comment.
class ExifReader {
public:
    explicit ExifReader(std::filesystem::path file) : file_(std::move(file)) {}

    // The position, or none when a GPS tag is missing or malformed. Reads
    // the file's tags only, not its image data.
    std::optional<GeoPosition> read() const;
    // The same of tags already read.
    static std::optional<GeoPosition> positionIn(const LibExifFileWrapper& tags);
    // The text of the UserComment ("EXIF") when it is in ASCII: the bytes
    // after the character code up to the first NUL, as they are; none for
    // no comment, or one in another code (Unicode, JIS) or none at all.
    std::optional<std::string> userComment() const;
    static std::optional<std::string> userCommentIn(const LibExifFileWrapper& tags);

    // Degrees from the parts of a rendered coordinate: 6 parts are the
    // minutes form's rationals (d 1 m100 100 ...); 3 parts are degrees,
    // minutes and seconds as decimals ("48, 51.50, 0").
    static float getGPSValue(const std::vector<std::string>& parts);
    // The parts of a rendered value: split at commas and spaces, empty parts
    // dropped ("48, 51.50,  0" gives three).
    static std::vector<std::string> valueParts(const std::string& value);

    const std::filesystem::path& file() const { return file_; }

private:
    std::filesystem::path file_;
};

}  // namespace kestrel
