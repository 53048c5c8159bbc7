#include "core/exif/ExifReader.h"

#include "core/exif/ExifValueParser.h"
#include "core/exif/LibExifFileWrapper.h"

#include <libexif/exif-tag.h>
#include <libexif/exif-utils.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace kestrel {
namespace {

// Three unsigned rationals with no zero denominator: anything else (text,
// two rationals, 0/0) is not a coordinate.
bool isCoordinate(const LibExifEntryWrapper& wrapper, ExifByteOrder order) {
    const ExifEntry* e = wrapper.entry();
    if (e->format != EXIF_FORMAT_RATIONAL || e->components != 3 || !e->data || e->size < 24)
        return false;
    for (unsigned i = 0; i < 3; ++i)
        if (exif_get_rational(e->data + 8 * i, order).denominator == 0) return false;
    return true;
}

// The leading decimal number of a part, whatever the process's locale.
float leadingFloat(const std::string& part) {
    float value = 0.0f;
    const char* begin = part.c_str();
    if (*begin == '+') ++begin;
    std::from_chars(begin, part.c_str() + part.size(), value);
    return value;
}

}  // namespace

std::optional<std::string> ExifReader::userComment() const {
    const LibExifFileWrapper tags(file_, LibExifFileWrapper::Reading::kTagsOnly);
    return userCommentIn(tags);
}

std::optional<std::string> ExifReader::userCommentIn(const LibExifFileWrapper& tags) {
    ExifData* data = tags.exifData();
    if (!data) return std::nullopt;
    const ExifEntry* e = exif_content_get_entry(data->ifd[EXIF_IFD_EXIF], EXIF_TAG_USER_COMMENT);
    if (!e || !e->data) return std::nullopt;
    const auto* bytes = reinterpret_cast<const char*>(e->data);
    const char* end = bytes + e->size;
    // Plain text is against the standard, but some writers store it so.
    if (e->format != EXIF_FORMAT_ASCII) {
        if (e->size < 8 || std::memcmp(bytes, "ASCII\0\0\0", 8) != 0) return std::nullopt;
        bytes += 8;
    }
    return std::string(bytes, std::find(bytes, end, '\0'));
}

std::vector<std::string> ExifReader::valueParts(const std::string& value) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : value) {
        if (c == ',' || c == ' ') {
            if (!current.empty()) parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) parts.push_back(current);
    return parts;
}

float ExifReader::getGPSValue(const std::vector<std::string>& parts) {
    if (parts.size() == 6) {
        const double value = static_cast<double>(ExifValueParser::leadingInteger(parts[0])) +
                             static_cast<double>(ExifValueParser::leadingInteger(parts[2])) / 6000.0;
        return static_cast<float>(value);
    }
    if (parts.size() < 3) return 0.0f;
    return static_cast<float>(ExifValueParser::leadingInteger(parts[0])) + leadingFloat(parts[1]) / 60.0f +
           leadingFloat(parts[2]) / 3600.0f;
}

std::optional<GeoPosition> ExifReader::read() const {
    return positionIn(LibExifFileWrapper(file_, LibExifFileWrapper::Reading::kTagsOnly));
}

std::optional<GeoPosition> ExifReader::positionIn(const LibExifFileWrapper& wrapper) {
    if (!wrapper.exifData()) return std::nullopt;
    const LibExifEntryWrapper* latitudeRef = wrapper.findEntry("GPSLatitudeRef", "GPS");
    const LibExifEntryWrapper* latitude = wrapper.findEntry("GPSLatitude", "GPS");
    const LibExifEntryWrapper* longitudeRef = wrapper.findEntry("GPSLongitudeRef", "GPS");
    const LibExifEntryWrapper* longitude = wrapper.findEntry("GPSLongitude", "GPS");
    if (!latitudeRef || !latitude || !longitudeRef || !longitude) return std::nullopt;
    const ExifByteOrder order = exif_data_get_byte_order(wrapper.exifData());
    if (!isCoordinate(*latitude, order) || !isCoordinate(*longitude, order)) return std::nullopt;

    const auto latitudeParts = valueParts(latitude->value());
    const auto longitudeParts = valueParts(longitude->value());
    const bool six = latitudeParts.size() == 6 && longitudeParts.size() == 6;
    const bool three = latitudeParts.size() == 3 && longitudeParts.size() == 3;
    if (!six && !three) return std::nullopt;

    float lat = getGPSValue(latitudeParts);
    float lon = getGPSValue(longitudeParts);
    if (!std::isfinite(lat) || !std::isfinite(lon)) return std::nullopt;
    if (latitudeRef->value() == "S") lat = -lat;
    if (longitudeRef->value() == "W") lon = -lon;
    return GeoPosition{static_cast<double>(lat), static_cast<double>(lon), {}};
}

}  // namespace kestrel
